#include "platform/automation/variant.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/automation/automation.h"
#include "unit/platform/automation/test_objects.h"

namespace vant {
namespace {

using testing::Describe;
using testing::SameValue;
using testing::ValueObject;

struct Row {
  std::string name;
  Variant in;
  VARTYPE to;
  HRESULT status;
  Variant expected;  // checked only on success
};

Variant Str(const char16_t* text) { return Variant::String(Bstr(text)); }
Variant DateOf(double serial) { return Variant::FromDate(Date{serial}); }

void RunRows(const std::vector<Row>& rows) {
  for (const Row& row : rows) {
    Variant out = Str(u"untouched");
    const HRESULT hr = VariantChangeType(out, row.in, row.to);
    EXPECT_EQ(hr, row.status) << row.name << ": got " << Describe(out);
    if (hr != row.status || Failed(hr)) continue;
    EXPECT_TRUE(SameValue(out, row.expected))
        << row.name << ": got " << Describe(out) << ", want " << Describe(row.expected);
  }
}

TEST(VariantCoerceTest, ToIntegers) {
  RunRows({
      {"I2 to I4", Variant::I2(7), VT_I4, S_OK, Variant::I4(7)},
      {"2.5 rounds to even", Variant::R8(2.5), VT_I4, S_OK, Variant::I4(2)},
      {"3.5 rounds to even", Variant::R8(3.5), VT_I4, S_OK, Variant::I4(4)},
      {"-2.5 rounds to even", Variant::R8(-2.5), VT_I4, S_OK, Variant::I4(-2)},
      {"-3.5 rounds to even", Variant::R8(-3.5), VT_I4, S_OK, Variant::I4(-4)},
      {"2.4999 rounds down", Variant::R8(2.4999), VT_I4, S_OK, Variant::I4(2)},
      {"-0.6 rounds away", Variant::R8(-0.6), VT_I4, S_OK, Variant::I4(-1)},
      {"R4 1.5", Variant::R4(1.5f), VT_I4, S_OK, Variant::I4(2)},
      {"max I4", Variant::R8(2147483647.0), VT_I4, S_OK, Variant::I4(2147483647)},
      {"past max I4", Variant::R8(2147483647.5), VT_I4, DISP_E_OVERFLOW, {}},
      {"min I4 half rounds to even", Variant::R8(-2147483648.5), VT_I4, S_OK,
       Variant::I4(-2147483647 - 1)},
      {"past min I4", Variant::R8(-2147483649.0), VT_I4, DISP_E_OVERFLOW, {}},
      {"text with blanks", Str(u" 12 "), VT_I4, S_OK, Variant::I4(12)},
      {"text exponent", Str(u"1e3"), VT_I4, S_OK, Variant::I4(1000)},
      {"text fraction rounds", Str(u"-4.5"), VT_I4, S_OK, Variant::I4(-4)},
      {"hex text", Str(u"&H1F"), VT_I4, S_OK, Variant::I4(31)},
      {"hex all ones", Str(u"&HFFFFFFFF"), VT_I4, S_OK, Variant::I4(-1)},
      {"octal text", Str(u"&O17"), VT_I4, S_OK, Variant::I4(15)},
      {"not a number", Str(u"abc"), VT_I4, DISP_E_TYPEMISMATCH, {}},
      {"empty text", Str(u""), VT_I4, DISP_E_TYPEMISMATCH, {}},
      {"blank text", Str(u"   "), VT_I4, DISP_E_TYPEMISMATCH, {}},
      {"null string", Variant::String(Bstr()), VT_I4, DISP_E_TYPEMISMATCH, {}},
      {"trailing garbage", Str(u"12abc"), VT_I4, DISP_E_TYPEMISMATCH, {}},
      {"inner blank", Str(u"1 2"), VT_I4, DISP_E_TYPEMISMATCH, {}},
      {"text too large", Str(u"99999999999"), VT_I4, DISP_E_OVERFLOW, {}},
      {"true is -1", Variant::Bool(true), VT_I4, S_OK, Variant::I4(-1)},
      {"false is 0", Variant::Bool(false), VT_I4, S_OK, Variant::I4(0)},
      {"EMPTY is 0", Variant(), VT_I4, S_OK, Variant::I4(0)},
      {"NULL", Variant::Null(), VT_I4, DISP_E_TYPEMISMATCH, {}},
      {"missing argument", Variant::Missing(), VT_I4, DISP_E_TYPEMISMATCH, {}},
      {"DATE rounds", DateOf(45000.75), VT_I4, S_OK, Variant::I4(45001)},
      {"UI1", Variant::UI1(200), VT_I4, S_OK, Variant::I4(200)},
      {"I4 past I2", Variant::I4(40000), VT_I2, DISP_E_OVERFLOW, {}},
      {"min I2", Variant::I4(-32768), VT_I2, S_OK, Variant::I2(-32768)},
      {"I4 past UI1", Variant::I4(256), VT_UI1, DISP_E_OVERFLOW, {}},
      {"negative to UI1", Variant::I4(-1), VT_UI1, DISP_E_OVERFLOW, {}},
      {"NaN to I4",
       Variant::R8(std::numeric_limits<double>::quiet_NaN()),
       VT_I4,
       DISP_E_OVERFLOW,
       {}},
  });
}

TEST(VariantCoerceTest, ToReals) {
  RunRows({
      {"I4", Variant::I4(5), VT_R8, S_OK, Variant::R8(5)},
      {"text", Str(u"1.5"), VT_R8, S_OK, Variant::R8(1.5)},
      {"leading point", Str(u".5"), VT_R8, S_OK, Variant::R8(0.5)},
      {"trailing point", Str(u"1."), VT_R8, S_OK, Variant::R8(1)},
      {"plus sign", Str(u"+3"), VT_R8, S_OK, Variant::R8(3)},
      {"tab and newline blanks", Str(u"\t-2E2\n"), VT_R8, S_OK, Variant::R8(-200)},
      {"tiny underflows to zero", Str(u"1e-999"), VT_R8, S_OK, Variant::R8(0)},
      {"huge overflows", Str(u"1e999"), VT_R8, DISP_E_OVERFLOW, {}},
      {"400 digits overflow",
       Variant::String(u"1" + std::u16string(400, u'0')),
       VT_R8,
       DISP_E_OVERFLOW,
       {}},
      {"400 leading zeros underflow", Variant::String(u"0." + std::u16string(400, u'0') + u"1"),
       VT_R8, S_OK, Variant::R8(0)},
      {"endless negative exponent", Str(u"5e-99999999999999999999"), VT_R8, S_OK, Variant::R8(0)},
      {"endless exponent", Str(u"5e99999999999999999999"), VT_R8, DISP_E_OVERFLOW, {}},
      {"exponent without digits", Str(u"1e"), VT_R8, DISP_E_TYPEMISMATCH, {}},
      {"two signs", Str(u"--1"), VT_R8, DISP_E_TYPEMISMATCH, {}},
      {"point alone", Str(u"."), VT_R8, DISP_E_TYPEMISMATCH, {}},
      {"hex without digits", Str(u"&H"), VT_R8, DISP_E_TYPEMISMATCH, {}},
      {"true", Variant::Bool(true), VT_R8, S_OK, Variant::R8(-1)},
      {"EMPTY", Variant(), VT_R8, S_OK, Variant::R8(0)},
      {"NULL", Variant::Null(), VT_R8, DISP_E_TYPEMISMATCH, {}},
      {"R8 to R4", Variant::R8(0.5), VT_R4, S_OK, Variant::R4(0.5f)},
      {"R8 past R4", Variant::R8(1e39), VT_R4, DISP_E_OVERFLOW, {}},
  });
}

TEST(VariantCoerceTest, ToBool) {
  RunRows({
      {"zero", Variant::I4(0), VT_BOOL, S_OK, Variant::Bool(false)},
      {"non-zero", Variant::I4(5), VT_BOOL, S_OK, Variant::Bool(true)},
      {"fraction", Variant::R8(0.1), VT_BOOL, S_OK, Variant::Bool(true)},
      {"True", Str(u"True"), VT_BOOL, S_OK, Variant::Bool(true)},
      {"FALSE", Str(u"FALSE"), VT_BOOL, S_OK, Variant::Bool(false)},
      {"blanks around true", Str(u" true "), VT_BOOL, S_OK, Variant::Bool(true)},
      {"numeric zero text", Str(u"0"), VT_BOOL, S_OK, Variant::Bool(false)},
      {"numeric text", Str(u"-2.5"), VT_BOOL, S_OK, Variant::Bool(true)},
      {"other word", Str(u"yes"), VT_BOOL, DISP_E_TYPEMISMATCH, {}},
      {"empty text", Str(u""), VT_BOOL, DISP_E_TYPEMISMATCH, {}},
      {"EMPTY", Variant(), VT_BOOL, S_OK, Variant::Bool(false)},
      {"NULL", Variant::Null(), VT_BOOL, DISP_E_TYPEMISMATCH, {}},
  });
}

TEST(VariantCoerceTest, ToText) {
  RunRows({
      {"I4", Variant::I4(-42), VT_BSTR, S_OK, Str(u"-42")},
      {"I2", Variant::I2(7), VT_BSTR, S_OK, Str(u"7")},
      {"UI1", Variant::UI1(255), VT_BSTR, S_OK, Str(u"255")},
      {"R8 fraction", Variant::R8(1.5), VT_BSTR, S_OK, Str(u"1.5")},
      {"R8 tenth", Variant::R8(0.1), VT_BSTR, S_OK, Str(u"0.1")},
      {"R8 whole", Variant::R8(100), VT_BSTR, S_OK, Str(u"100")},
      {"R8 rounded to 15 digits", Variant::R8(0.1 + 0.2), VT_BSTR, S_OK, Str(u"0.3")},
      {"R8 third", Variant::R8(1.0 / 3), VT_BSTR, S_OK, Str(u"0.333333333333333")},
      {"R8 rounding carries", Variant::R8(0.9999999999999999), VT_BSTR, S_OK, Str(u"1")},
      {"R8 16 digits scientific", Variant::R8(1234567890123456789.0), VT_BSTR, S_OK,
       Str(u"1.23456789012346E+18")},
      {"R4 7 digits", Variant::R4(1.0f / 3), VT_BSTR, S_OK, Str(u"0.3333333")},
      {"R8 15 digits fixed", Variant::R8(123456789012345.0), VT_BSTR, S_OK,
       Str(u"123456789012345")},
      {"R8 1e15 scientific", Variant::R8(1e15), VT_BSTR, S_OK, Str(u"1E+15")},
      {"R8 huge", Variant::R8(1e20), VT_BSTR, S_OK, Str(u"1E+20")},
      {"R8 small fixed", Variant::R8(0.0001), VT_BSTR, S_OK, Str(u"0.0001")},
      {"R8 smaller scientific", Variant::R8(0.000001), VT_BSTR, S_OK, Str(u"1E-06")},
      {"R8 negative scientific", Variant::R8(-2.5e-7), VT_BSTR, S_OK, Str(u"-2.5E-07")},
      {"R8 three-digit exponent", Variant::R8(1.25e300), VT_BSTR, S_OK, Str(u"1.25E+300")},
      {"R8 zero", Variant::R8(0), VT_BSTR, S_OK, Str(u"0")},
      {"R4 shortest at float precision", Variant::R4(0.1f), VT_BSTR, S_OK, Str(u"0.1")},
      {"true", Variant::Bool(true), VT_BSTR, S_OK, Str(u"True")},
      {"false", Variant::Bool(false), VT_BSTR, S_OK, Str(u"False")},
      {"EMPTY", Variant(), VT_BSTR, S_OK, Str(u"")},
      {"NULL", Variant::Null(), VT_BSTR, DISP_E_TYPEMISMATCH, {}},
      {"error value", Variant::Error(E_FAIL), VT_BSTR, DISP_E_TYPEMISMATCH, {}},
      {"date alone", DateOf(45296), VT_BSTR, S_OK, Str(u"1/5/2024")},
      {"date and time", DateOf(45296.5), VT_BSTR, S_OK, Str(u"1/5/2024 12:00:00 PM")},
      {"time alone", DateOf(0.25), VT_BSTR, S_OK, Str(u"6:00:00 AM")},
      {"before day zero", DateOf(-1.25), VT_BSTR, S_OK, Str(u"12/29/1899 6:00:00 AM")},
      {"null string stays null", Variant::String(Bstr()), VT_BSTR, S_OK, Variant::String(Bstr())},
  });
}

TEST(VariantCoerceTest, ToDateAndOtherTargets) {
  std::vector<Row> rows;
  rows.push_back({"R8", Variant::R8(45296.5), VT_DATE, S_OK, DateOf(45296.5)});
  rows.push_back({"ISO text", Str(u"2024-01-05"), VT_DATE, S_OK, DateOf(45296)});
  rows.push_back({"US text with time", Str(u"1/5/2024 12:00 PM"), VT_DATE, S_OK, DateOf(45296.5)});
  rows.push_back({"ISO with T", Str(u"2024-01-05T18:00"), VT_DATE, S_OK, DateOf(45296.75)});
  rows.push_back({"two-digit year", Str(u"1/5/24"), VT_DATE, S_OK, DateOf(45296)});
  rows.push_back({"month name", Str(u"January 5, 2024"), VT_DATE, S_OK, DateOf(45296)});
  rows.push_back(
      {"month abbreviation and time", Str(u"jan 5 2024 18:00"), VT_DATE, S_OK, DateOf(45296.75)});
  rows.push_back({"day before month name", Str(u"5 January 2024"), VT_DATE, S_OK, DateOf(45296)});
  rows.push_back({"no such month", Str(u"Janvier 5, 2024"), VT_DATE, DISP_E_TYPEMISMATCH, {}});
  rows.push_back(
      {"day past the month", Str(u"February 30, 2024"), VT_DATE, DISP_E_TYPEMISMATCH, {}});
  rows.push_back({"number text", Str(u"12"), VT_DATE, S_OK, DateOf(12)});
  rows.push_back({"impossible day", Str(u"2/30/2024"), VT_DATE, DISP_E_TYPEMISMATCH, {}});
  rows.push_back({"past year 9999", Variant::R8(3e6), VT_DATE, DISP_E_OVERFLOW, {}});
  rows.push_back({"VARIANT copies", Str(u"x"), VT_VARIANT, S_OK, Str(u"x")});
  rows.push_back({"NULL to NULL", Variant::Null(), VT_NULL, S_OK, Variant::Null()});
  rows.push_back({"I4 to NULL", Variant::I4(1), VT_NULL, DISP_E_TYPEMISMATCH, {}});
  rows.push_back({"NULL to VARIANT", Variant::Null(), VT_VARIANT, S_OK, Variant::Null()});
  rows.push_back({"I4 to DISPATCH", Variant::I4(1), VT_DISPATCH, DISP_E_TYPEMISMATCH, {}});
  rows.push_back({"EMPTY to DISPATCH", Variant(), VT_DISPATCH, S_OK, Variant::Dispatch(nullptr)});
  rows.push_back({"array to I4",
                  Variant::Array(SafeArray::FromBytes("ab", 2)),
                  VT_I4,
                  DISP_E_TYPEMISMATCH,
                  {}});
  rows.push_back({"I4 to byte array", Variant::I4(1), VT_ARRAY | VT_UI1, DISP_E_TYPEMISMATCH, {}});
  rows.push_back({"unsupported target", Variant::I4(1), 20, DISP_E_BADVARTYPE, {}});
  RunRows(rows);
}

TEST(VariantCoerceTest, FollowsByRef) {
  Variant target = Variant::I4(7);
  const Variant ref = Variant::ByRef(&target);
  Variant out;
  ASSERT_EQ(VariantChangeType(out, ref, VT_BSTR), S_OK);
  EXPECT_EQ(out.bstr(), Bstr(u"7"));
  ASSERT_EQ(VariantChangeType(out, ref, VT_VARIANT), S_OK);
  EXPECT_EQ(out.vt(), VT_I4) << "a VARIANT target gets the referenced value, not the reference";
}

TEST(VariantCoerceTest, ConvertsInPlace) {
  Variant v = Str(u" 42 ");
  ASSERT_EQ(VariantChangeType(v, v, VT_I4), S_OK);
  EXPECT_EQ(v.i4(), 42);
  Variant failed = Str(u"abc");
  EXPECT_EQ(VariantChangeType(failed, failed, VT_I4), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(failed.bstr(), Bstr(u"abc")) << "a failed conversion leaves the output alone";
}

TEST(VariantCoerceTest, ReadsObjectsThroughTheirDefaultMember) {
  struct ObjectRow {
    std::string name;
    Variant value;
    HRESULT memberStatus;
    VARTYPE to;
    HRESULT status;
    Variant expected;
  };
  const std::vector<ObjectRow> rows = {
      {"I4 value", Variant::I4(12), S_OK, VT_I4, S_OK, Variant::I4(12)},
      {"text value to R8", Str(u"2.5"), S_OK, VT_R8, S_OK, Variant::R8(2.5)},
      {"text value to BSTR", Str(u"abc"), S_OK, VT_BSTR, S_OK, Str(u"abc")},
      {"value that does not convert", Str(u"x"), S_OK, VT_I4, DISP_E_TYPEMISMATCH, {}},
      {"no default member", {}, DISP_E_MEMBERNOTFOUND, VT_I4, DISP_E_TYPEMISMATCH, {}},
      {"member failure passes on", {}, E_ACCESSDENIED, VT_BSTR, E_ACCESSDENIED, {}},
  };
  for (const ObjectRow& row : rows) {
    auto object = ValueObject::Create(row.value, row.memberStatus);
    Variant out;
    const HRESULT hr = VariantChangeType(out, Variant::Dispatch(object.get()), row.to);
    EXPECT_EQ(hr, row.status) << row.name << ": got " << Describe(out);
    EXPECT_EQ(object->lastFlags, DISPATCH_PROPERTYGET) << row.name;
    if (Succeeded(hr)) {
      EXPECT_TRUE(SameValue(out, row.expected)) << row.name << ": got " << Describe(out);
    }
    EXPECT_EQ(object->RefCount(), 1u) << row.name << ": the conversion leaked a reference";
  }
}

TEST(VariantCoerceTest, ObjectEdgeCases) {
  Variant out;
  EXPECT_EQ(VariantChangeType(out, Variant::Dispatch(nullptr), VT_I4), DISP_E_TYPEMISMATCH);

  // An object whose value is itself must not loop forever.
  auto loop = ValueObject::Create(Variant());
  loop->returnSelf = true;
  EXPECT_EQ(VariantChangeType(out, Variant::Dispatch(loop.get()), VT_I4), DISP_E_TYPEMISMATCH);

  // Objects stay objects for object targets; an IUnknown is asked for IDispatch.
  auto object = ValueObject::Create(Variant::I4(3));
  ASSERT_EQ(VariantChangeType(out, Variant::Unknown(object.get()), VT_DISPATCH), S_OK);
  EXPECT_EQ(out.dispatch(), static_cast<IDispatch*>(object.get()));
  EXPECT_EQ(object->invokes, 0);
  ASSERT_EQ(VariantChangeType(out, Variant::Unknown(object.get()), VT_I4), S_OK);
  EXPECT_EQ(out.i4(), 3);
}

TEST(VariantCoerceTest, Shorthands) {
  std::int32_t i = 0;
  EXPECT_EQ(VariantToI4(Str(u"&H10"), &i), S_OK);
  EXPECT_EQ(i, 16);
  EXPECT_EQ(VariantToI4(Variant::I4(1), nullptr), E_POINTER);
  double d = 0;
  EXPECT_EQ(VariantToR8(Variant::Bool(true), &d), S_OK);
  EXPECT_EQ(d, -1.0);
  bool b = true;
  EXPECT_EQ(VariantToBool(Str(u"false"), &b), S_OK);
  EXPECT_FALSE(b);
  Bstr s;
  EXPECT_EQ(VariantToBstr(Variant::R8(2.25), &s), S_OK);
  EXPECT_EQ(s, Bstr(u"2.25"));
  EXPECT_EQ(VariantToBstr(Variant::Null(), &s), DISP_E_TYPEMISMATCH);
}

}  // namespace
}  // namespace vant
