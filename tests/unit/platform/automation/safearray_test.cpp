#include "platform/automation/safearray.h"

#include <gtest/gtest.h>

#include "unit/platform/automation/test_objects.h"

namespace vant {
namespace {

using testing::Describe;

TEST(SafeArrayTest, CreatesOnlyTheSupportedElementTypes) {
  struct Row {
    VARTYPE type;
    bool ok;
  };
  for (const Row row : {Row{VT_UI1, true}, Row{VT_BSTR, true}, Row{VT_VARIANT, true},
                        Row{VT_I4, false}, Row{VT_DISPATCH, false}}) {
    const auto array = SafeArray::CreateVector(row.type, 0, 2);
    EXPECT_EQ(array != nullptr, row.ok) << "element type " << row.type;
  }
  EXPECT_EQ(SafeArray::CreateVector(VT_UI1, 0x7FFFFFFF, 2), nullptr) << "upper bound overflows";
}

TEST(SafeArrayTest, BoundsFollowTheLowerBound) {
  auto array = SafeArray::CreateVector(VT_VARIANT, 1, 3);
  ASSERT_NE(array, nullptr);
  EXPECT_EQ(array->LowerBound(), 1);
  EXPECT_EQ(array->UpperBound(), 3);
  struct Row {
    std::int32_t index;
    HRESULT status;
  };
  for (const Row row : {Row{0, DISP_E_BADINDEX}, Row{1, S_OK}, Row{3, S_OK},
                        Row{4, DISP_E_BADINDEX}, Row{-2147483647 - 1, DISP_E_BADINDEX}}) {
    Variant out;
    EXPECT_EQ(array->PutElement(row.index, Variant::I4(row.index)), row.status) << row.index;
    EXPECT_EQ(array->GetElement(row.index, &out), row.status) << row.index;
    if (Succeeded(row.status)) {
      EXPECT_EQ(out.i4(), row.index);
    }
  }
  EXPECT_EQ(array->GetElement(1, nullptr), E_POINTER);
}

TEST(SafeArrayTest, ElementsAreConvertedToTheElementType) {
  auto bytes = SafeArray::FromBytes("\x01\x02", 2);
  Variant out;
  ASSERT_EQ(bytes->GetElement(1, &out), S_OK);
  EXPECT_EQ(out.vt(), VT_UI1);
  EXPECT_EQ(out.ui1(), 2);
  EXPECT_EQ(bytes->PutElement(0, Variant::String(Bstr(u"200"))), S_OK);
  EXPECT_EQ(bytes->Bytes()[0], 200);
  EXPECT_EQ(bytes->PutElement(0, Variant::I4(300)), DISP_E_OVERFLOW);

  auto strings = SafeArray::CreateVector(VT_BSTR, 0, 2);
  ASSERT_EQ(strings->GetElement(0, &out), S_OK);
  EXPECT_EQ(out.vt(), VT_BSTR) << "new string elements are strings: " << Describe(out);
  ASSERT_EQ(strings->PutElement(1, Variant::I4(12)), S_OK);
  ASSERT_EQ(strings->GetElement(1, &out), S_OK);
  EXPECT_EQ(out.bstr(), Bstr(u"12"));
  EXPECT_EQ(strings->PutElement(1, Variant::Null()), DISP_E_TYPEMISMATCH);
}

TEST(SafeArrayTest, LockBlocksResizeAndUnlockMustPair) {
  auto array = SafeArray::CreateVector(VT_UI1, 0, 4);
  EXPECT_EQ(array->Unlock(), E_UNEXPECTED) << "unlock without lock";
  ASSERT_EQ(array->Lock(), S_OK);
  ASSERT_EQ(array->Lock(), S_OK);
  EXPECT_EQ(array->LockCount(), 2u);
  EXPECT_EQ(array->Resize(8), E_FAIL);
  EXPECT_EQ(array->Count(), 4u);
  EXPECT_EQ(array->Unlock(), S_OK);
  EXPECT_EQ(array->Resize(8), E_FAIL) << "still locked once";
  EXPECT_EQ(array->Unlock(), S_OK);
  EXPECT_EQ(array->Unlock(), E_UNEXPECTED);
  EXPECT_EQ(array->Resize(8), S_OK);
  EXPECT_EQ(array->Count(), 8u);
  EXPECT_EQ(array->UpperBound(), 7);
}

TEST(SafeArrayTest, ResizeKeepsElementsAndInitialisesNewOnes) {
  auto strings = SafeArray::CreateVector(VT_BSTR, 0, 1);
  ASSERT_EQ(strings->PutElement(0, Variant::String(Bstr(u"a"))), S_OK);
  ASSERT_EQ(strings->Resize(3), S_OK);
  Variant out;
  ASSERT_EQ(strings->GetElement(0, &out), S_OK);
  EXPECT_EQ(out.bstr(), Bstr(u"a"));
  ASSERT_EQ(strings->GetElement(2, &out), S_OK);
  EXPECT_EQ(out.vt(), VT_BSTR);
  ASSERT_EQ(strings->Resize(0), S_OK);
  EXPECT_EQ(strings->GetElement(0, &out), DISP_E_BADINDEX);
}

TEST(SafeArrayTest, CopyIsIndependent) {
  auto variants = SafeArray::CreateVector(VT_VARIANT, 5, 2);
  auto inner = SafeArray::FromBytes("ab", 2);
  ASSERT_EQ(variants->PutElement(5, Variant::Array(std::move(inner))), S_OK);
  ASSERT_EQ(variants->Lock(), S_OK);
  const auto copy = variants->Copy();
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->LowerBound(), 5);
  EXPECT_EQ(copy->LockCount(), 0u) << "a copy is not locked";
  ASSERT_EQ(copy->PutElement(6, Variant::I4(9)), S_OK);
  Variant original;
  ASSERT_EQ(variants->GetElement(6, &original), S_OK);
  EXPECT_TRUE(original.IsEmpty());
  // The nested byte array was copied too, not shared.
  Variant a, b;
  ASSERT_EQ(variants->GetElement(5, &a), S_OK);
  ASSERT_EQ(copy->GetElement(5, &b), S_OK);
  b.array()->Bytes()[0] = 'z';
  Variant again;
  ASSERT_EQ(variants->GetElement(5, &again), S_OK);
  EXPECT_EQ(again.array()->Bytes()[0], 'a');
}

TEST(SafeArrayTest, FromBytesCopiesTheData) {
  char data[] = "hello";
  auto array = SafeArray::FromBytes(data, 5);
  data[0] = 'J';
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(array->Bytes()), array->Count()), "hello");
  EXPECT_NE(SafeArray::FromBytes(nullptr, 0), nullptr);
  EXPECT_EQ(SafeArray::FromBytes(nullptr, 1), nullptr);
  EXPECT_EQ(SafeArray::CreateVector(VT_BSTR, 0, 1)->Bytes(), nullptr);
}

// A view reads the caller's bytes in place and refuses every write, so a
// sender can hand out cached bytes without copying and without risk to them.
TEST(SafeArrayTest, ViewOfBytesReadsInPlaceAndRefusesWrites) {
  const char data[] = "hello";
  auto view = SafeArray::ViewOfBytes(data, 5);
  ASSERT_NE(view, nullptr);
  const SafeArray& readOnly = *view;
  EXPECT_EQ(readOnly.Bytes(), reinterpret_cast<const std::uint8_t*>(data));
  EXPECT_EQ(view->Count(), 5u);
  EXPECT_EQ(view->UpperBound(), 4);
  Variant element;
  ASSERT_EQ(view->GetElement(1, &element), S_OK);
  EXPECT_EQ(element.ui1(), 'e');

  EXPECT_EQ(view->Bytes(), nullptr);
  EXPECT_EQ(view->PutElement(0, Variant::UI1('J')), E_ACCESSDENIED);
  EXPECT_EQ(view->Resize(3), E_FAIL);
  EXPECT_EQ(std::string(data), "hello");

  auto copy = view->Copy();
  ASSERT_NE(copy, nullptr);
  ASSERT_NE(copy->Bytes(), nullptr);
  EXPECT_EQ(copy->PutElement(0, Variant::UI1('J')), S_OK);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(copy->Bytes()), copy->Count()), "Jello");
  EXPECT_EQ(std::string(data), "hello");

  const auto empty = SafeArray::ViewOfBytes(nullptr, 0);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->Count(), 0u);
  EXPECT_NE(static_cast<const SafeArray&>(*empty).Bytes(), nullptr);
  EXPECT_EQ(SafeArray::ViewOfBytes(nullptr, 1), nullptr);
}

}  // namespace
}  // namespace vant
