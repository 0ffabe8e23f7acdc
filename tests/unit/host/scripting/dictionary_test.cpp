#include "host/scripting/scripting_objects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "../ado/ado_test_support.h"

namespace vant::host::scripting {
namespace {

using ado::test::Call;
using ado::test::Put;
using ado::test::Str;

constexpr HRESULT kKeyExists = MakeHresult(0x800A01C9);
constexpr HRESULT kElementNotFound = MakeHresult(0x800A802B);
constexpr HRESULT kInvalidCall = MakeHresult(0x800A0005);
constexpr HRESULT kTypeMismatch = MakeHresult(0x800A000D);

ComPtr<IDispatch> NewDictionary() { return CreateDictionaryObject(u"scripting.dictionary"); }

// Keys() or Items() as text, in array order.
std::vector<std::string> Texts(const Variant& array) {
  std::vector<std::string> out;
  EXPECT_EQ(array.vt(), VT_ARRAY | VT_VARIANT);
  if (array.array() == nullptr) return out;
  EXPECT_EQ(array.array()->LowerBound(), 0);
  for (std::int32_t i = 0; i < static_cast<std::int32_t>(array.array()->Count()); ++i) {
    Variant item;
    EXPECT_EQ(array.array()->GetElement(i, &item), S_OK);
    out.push_back(ado::test::Text(item));
  }
  return out;
}

std::vector<std::string> Enumerated(IDispatch* dictionary) {
  Variant value = Call(dictionary, u"_NewEnum");
  ComPtr<IEnumVARIANT> items;
  EXPECT_EQ(value.unknown()->QueryInterface(IID_IEnumVARIANT, items.ReceiveVoid()), S_OK);
  std::vector<std::string> out;
  Variant item;
  std::uint32_t fetched = 0;
  while (items->Next(1, &item, &fetched) == S_OK && fetched == 1) {
    out.push_back(ado::test::Text(item));
  }
  return out;
}

// Insertion order survives removal, re-adding, renaming and the implicit
// add of reading a missing key; Keys, Items and the enumerator agree.
TEST(DictionaryTest, KeepsInsertionOrderThroughEveryChange) {
  ComPtr<IDispatch> d = NewDictionary();
  for (const char16_t* key : {u"b", u"a", u"c", u"d"}) {
    Call(d.get(), u"Add", {Str(key), Str(std::u16string(key) + u"!")});
  }
  Call(d.get(), u"Remove", {Str(u"a")});
  Call(d.get(), u"Add", {Str(u"a"), Variant::I4(1)});
  ASSERT_EQ(Put(d.get(), u"Key", {Str(u"c"), Str(u"z")}), S_OK);
  EXPECT_TRUE(Call(d.get(), u"", {Str(u"missing")}).IsEmpty());
  ASSERT_EQ(Put(d.get(), u"", {Str(u"d"), Str(u"new")}), S_OK);

  const std::vector<std::string> keys = {"b", "z", "d", "a", "missing"};
  EXPECT_EQ(Texts(Call(d.get(), u"Keys")), keys);
  EXPECT_EQ(Texts(Call(d.get(), u"Items")), (std::vector<std::string>{"b!", "c!", "new", "1", ""}));
  EXPECT_EQ(Enumerated(d.get()), keys);
  EXPECT_EQ(ado::test::Int(Call(d.get(), u"Count")), 5);
  Call(d.get(), u"RemoveAll");
  EXPECT_EQ(Texts(Call(d.get(), u"Keys")), std::vector<std::string>{});
}

// Which keys are one key: numbers by value whatever their type, text by
// case only in text mode, strings never equal to numbers.
TEST(DictionaryTest, KeysMatchByValueAndCompareMode) {
  const struct {
    std::int32_t mode;
    Variant stored;
    Variant probe;
    bool same;
  } rows[] = {
      {kBinaryCompare, Variant::I4(1), Variant::R8(1.0), true},
      {kBinaryCompare, Variant::I2(7), Variant::I4(7), true},
      {kBinaryCompare, Variant::I4(1), Str(u"1"), false},
      {kBinaryCompare, Str(u"Key"), Str(u"KEY"), false},
      {kTextCompare, Str(u"Key"), Str(u"kEY"), true},
      {kTextCompare, Str(u"\u00C9cole"), Str(u"\u00E9COLE"), true},
      {kTextCompare, Str(u"\u0416"), Str(u"\u0436"), true},
      {kTextCompare, Str(u"a"), Str(u"a "), false},
      {kBinaryCompare, Variant(), Str(u""), false},
      {kBinaryCompare, Variant::R8(std::nan("")), Variant::I4(1), false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(ado::test::Text(row.stored) + " / " + ado::test::Text(row.probe) + " mode " +
                 std::to_string(row.mode));
    ComPtr<IDispatch> d = NewDictionary();
    ASSERT_EQ(Put(d.get(), u"CompareMode", {Variant::I4(row.mode)}), S_OK);
    Call(d.get(), u"Add", {row.stored, Str(u"x")});
    EXPECT_EQ(Call(d.get(), u"Exists", {row.probe}).boolVal() != VARIANT_FALSE, row.same);
    HRESULT hr = S_OK;
    Call(d.get(), u"Add", {row.probe, Str(u"y")}, &hr);
    EXPECT_EQ(hr, row.same ? kKeyExists : S_OK);
  }
}

TEST(DictionaryTest, FailuresRaiseTheRuntimeNumbersAndTexts) {
  ComPtr<IDispatch> d = NewDictionary();
  Call(d.get(), u"Add", {Str(u"a"), Variant::I4(1)});
  Call(d.get(), u"Add", {Str(u"b"), Variant::I4(2)});
  const Variant array = Call(d.get(), u"Keys");
  const struct {
    const char* what;
    std::u16string_view member;
    std::vector<Variant> args;
    bool put;
    HRESULT status;
    std::u16string_view text;
  } rows[] = {
      {"duplicate Add",
       u"Add",
       {Str(u"a"), Variant::I4(3)},
       false,
       kKeyExists,
       u"This key is already associated with an element of this collection"},
      {"Remove missing", u"Remove", {Str(u"zz")}, false, kElementNotFound, u"Element not found"},
      {"rename missing",
       u"Key",
       {Str(u"zz"), Str(u"y")},
       true,
       kElementNotFound,
       u"Element not found"},
      {"rename onto a key",
       u"Key",
       {Str(u"a"), Str(u"b")},
       true,
       kKeyExists,
       u"This key is already associated with an element of this collection"},
      {"mode while filled",
       u"CompareMode",
       {Variant::I4(kTextCompare)},
       true,
       kInvalidCall,
       u"Invalid procedure call or argument"},
      {"array key", u"Add", {array, Variant::I4(1)}, false, kTypeMismatch, u"Type mismatch"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    HRESULT hr = S_OK;
    if (row.put) {
      hr = Put(d.get(), row.member, row.args);
    } else {
      Call(d.get(), row.member, row.args, &hr);
    }
    EXPECT_EQ(hr, row.status);
    EXPECT_EQ(ado::test::TakeError(),
              std::make_pair(std::u16string(u"Scripting.Dictionary"), std::u16string(row.text)));
  }
  EXPECT_EQ(Texts(Call(d.get(), u"Keys")), (std::vector<std::string>{"a", "b"}));
}

}  // namespace
}  // namespace vant::host::scripting
