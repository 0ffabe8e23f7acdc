#include "platform/automation/guid.h"

#include <gtest/gtest.h>

namespace vant {
namespace {

constexpr GUID kSample =
    MakeGuid(0x9B739684, 0x14D2, 0x447F, 0x86, 0x5E, 0x28, 0xE2, 0x15, 0x76, 0x13, 0x9A);

TEST(GuidTest, ParsesOnlyTheBracedRegistryForm) {
  struct Row {
    const char* text;
    bool ok;
  };
  const Row rows[] = {
      {"{9B739684-14D2-447F-865E-28E21576139A}", true},
      {"{9b739684-14d2-447f-865e-28e21576139a}", true},    // lower case
      {"{9b739684-14D2-447f-865E-28e21576139A}", true},    // mixed case
      {"9B739684-14D2-447F-865E-28E21576139A", false},     // no braces
      {"{9B739684-14D2-447F-865E-28E21576139A", false},    // no closing brace
      {"(9B739684-14D2-447F-865E-28E21576139A)", false},   // wrong brackets
      {"{9B739684-14D2-447F-865E-28E21576139}", false},    // one digit short
      {"{9B739684-14D2-447F-865E-28E21576139AA}", false},  // one digit long
      {"{9B739684-14D2-447F-865E-28E2157613G9}", false},   // not hex
      {"{9B739684+14D2-447F-865E-28E21576139A}", false},   // wrong separator
      {"{9B73968-414D2-447F-865E-28E21576139A}", false},   // dash in the wrong place
      {"", false},
  };
  for (const Row& row : rows) {
    const std::optional<GUID> narrow = ParseGuid(std::string_view(row.text));
    const std::string text(row.text);
    const std::optional<GUID> wide = ParseGuid(std::u16string(text.begin(), text.end()));
    EXPECT_EQ(narrow.has_value(), row.ok) << row.text;
    EXPECT_EQ(wide.has_value(), row.ok) << row.text;
    if (row.ok && narrow && wide) {
      EXPECT_EQ(*narrow, kSample) << row.text << " parsed as " << FormatGuid(*narrow);
      EXPECT_EQ(*wide, kSample) << row.text;
    }
  }
}

TEST(GuidTest, FormatsUpperCaseAndRoundTrips) {
  EXPECT_EQ(FormatGuid(kSample), "{9B739684-14D2-447F-865E-28E21576139A}");
  EXPECT_EQ(FormatGuidW(kSample), u"{9B739684-14D2-447F-865E-28E21576139A}");
  EXPECT_EQ(FormatGuid(GUID_NULL), "{00000000-0000-0000-0000-000000000000}");
  const GUID small = MakeGuid(0x1, 0x2, 0x3, 0, 1, 2, 3, 4, 5, 6, 0xF);
  EXPECT_EQ(FormatGuid(small), "{00000001-0002-0003-0001-02030405060F}");
  EXPECT_EQ(ParseGuid(FormatGuid(small)), small);
}

}  // namespace
}  // namespace vant
