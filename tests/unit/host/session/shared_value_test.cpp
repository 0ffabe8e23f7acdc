#include "host/session/shared_value.h"

#include <gtest/gtest.h>

namespace vant::host::session {
namespace {

struct Row {
  const char* what;
  Variant value;
};

std::string Show(const Variant& v) {
  Variant converted;
  if (v.vt() == (VT_ARRAY | VT_UI1))
    return std::string(reinterpret_cast<const char*>(v.array()->Bytes()), v.array()->Count());
  if (Succeeded(VariantChangeType(converted, v, VT_BSTR)))
    return Utf16ToUtf8(converted.bstr().str());
  return "?";
}

TEST(SharedValue, EveryShareableValueComesBackWithItsTypeAndName) {
  const Row rows[] = {
      {"empty", Variant()},
      {"null", Variant::Null()},
      {"int", Variant::I4(-2147483647)},
      {"short", Variant::I2(-7)},
      {"byte", Variant::UI1(255)},
      {"double", Variant::R8(0.1 + 0.2)},
      {"float", Variant::R4(1.5f)},
      {"bool", Variant::Bool(true)},
      {"date", Variant::FromDate(Date{45000.25})},
      {"text", Variant::String(Bstr(u"caf\u00e9 \u65e5\u672c end"))},
      {"bytes", Variant::Array(SafeArray::FromBytes("a\0\xff:9:", 6))},
  };
  for (const Row& row : rows) {
    const auto encoded = EncodeValue(u"MixedCase:Name", row.value);
    ASSERT_TRUE(encoded) << row.what;
    std::u16string name;
    Variant back;
    ASSERT_TRUE(DecodeValue(*encoded, name, back)) << row.what;
    EXPECT_EQ(name, u"MixedCase:Name") << row.what;
    EXPECT_EQ(back.vt(), row.value.vt()) << row.what;
    EXPECT_EQ(Show(back), Show(row.value)) << row.what;
  }
}

TEST(SharedValue, RefusesWhatAnotherProcessCouldNotReadAndRejectsTornRecords) {
  EXPECT_FALSE(IsShareable(Variant::Array(SafeArray::CreateVector(VT_VARIANT, 0, 2))));
  EXPECT_FALSE(EncodeValue(u"a", Variant::Error(E_FAIL)));
  std::u16string name;
  Variant value;
  for (const char* torn : {"", "5:ab3:x", "1:a", "1:a3", "1:ax:1", "99999999999999999999:a3:1",
                           "1:a3:12x", "1:a9:x"}) {
    EXPECT_FALSE(DecodeValue(torn, name, value)) << torn;
  }
}

}  // namespace
}  // namespace vant::host::session
