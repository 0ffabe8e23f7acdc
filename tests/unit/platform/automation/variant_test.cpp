#include "platform/automation/variant.h"

#include <gtest/gtest.h>

#include "platform/automation/automation.h"
#include "unit/platform/automation/test_objects.h"

namespace vant {
namespace {

using testing::ValueObject;

TEST(VariantTest, CopyAddRefsObjectsAndClearReleasesThem) {
  int deleted = 0;
  auto object = ValueObject::Create(Variant(), S_OK, &deleted);
  {
    Variant a = Variant::Dispatch(object.get());
    EXPECT_EQ(object->RefCount(), 2u);
    Variant b = a;
    EXPECT_EQ(object->RefCount(), 3u);
    EXPECT_EQ(b.dispatch(), a.dispatch());
    Variant c = std::move(b);
    EXPECT_EQ(object->RefCount(), 3u) << "a move takes over the reference";
    EXPECT_TRUE(b.IsEmpty());
    c.Clear();
    EXPECT_EQ(object->RefCount(), 2u);
    EXPECT_TRUE(c.IsEmpty());
    a = Variant::I4(1);
    EXPECT_EQ(object->RefCount(), 1u) << "assignment releases the old value";
  }
  ValueObject* raw = object.Detach();
  EXPECT_EQ(deleted, 0);
  Variant adopted = Variant::AttachDispatch(raw);  // takes our last reference
  adopted.Clear();
  EXPECT_EQ(deleted, 1);
}

TEST(VariantTest, UnknownReadsForBothObjectKinds) {
  auto object = ValueObject::Create(Variant());
  const Variant d = Variant::Dispatch(object.get());
  const Variant u = Variant::Unknown(object.get());
  EXPECT_EQ(d.unknown(), static_cast<IUnknown*>(object.get()));
  EXPECT_EQ(u.unknown(), static_cast<IUnknown*>(object.get()));
  EXPECT_EQ(u.dispatch(), nullptr) << "an IUnknown value is not an IDispatch";
}

TEST(VariantTest, CopyDeepCopiesArrays) {
  Variant a = Variant::Array(SafeArray::FromBytes("xyz", 3));
  ASSERT_EQ(a.vt(), VT_ARRAY | VT_UI1);
  Variant b = a;
  ASSERT_NE(b.array(), nullptr);
  EXPECT_NE(b.array(), a.array());
  b.array()->Bytes()[0] = 'Q';
  EXPECT_EQ(a.array()->Bytes()[0], 'x');
  std::unique_ptr<SafeArray> taken = a.DetachArray();
  EXPECT_TRUE(a.IsEmpty());
  EXPECT_EQ(taken->Count(), 3u);
}

TEST(VariantTest, SelfAssignmentKeepsTheValue) {
  Variant v = Variant::String(Bstr(u"keep"));
  const Variant& alias = v;
  v = alias;
  EXPECT_EQ(v.bstr(), Bstr(u"keep"));
}

TEST(VariantTest, FactoriesSetTypeAndValue) {
  EXPECT_EQ(Variant::Null().vt(), VT_NULL);
  EXPECT_TRUE(Variant::Missing().IsMissing());
  EXPECT_FALSE(Variant::Error(E_FAIL).IsMissing());
  EXPECT_FALSE(Variant::I4(static_cast<std::int32_t>(DISP_E_PARAMNOTFOUND)).IsMissing());
  EXPECT_EQ(Variant::Bool(true).boolVal(), VARIANT_TRUE);
  EXPECT_EQ(Variant::FromDate(Date{1.5}).date().value, 1.5);
  EXPECT_EQ(Variant::Array(nullptr).vt(), VT_EMPTY);
  EXPECT_TRUE(Variant::String(Bstr()).bstr().IsNull());
}

TEST(VariantTest, ByRefFollowsOnceToTheCallersVariant) {
  Variant target = Variant::I4(5);
  const Variant ref = Variant::ByRef(&target);
  EXPECT_EQ(ref.vt(), VT_BYREF | VT_VARIANT);
  EXPECT_EQ(&ref.Deref(), &target);
  target = Variant::I4(6);
  EXPECT_EQ(ref.Deref().i4(), 6);
  const Variant plain = Variant::I4(1);
  EXPECT_EQ(&plain.Deref(), &plain);
}

}  // namespace
}  // namespace vant
