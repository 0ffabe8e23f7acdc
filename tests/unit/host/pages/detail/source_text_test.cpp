#include "host/pages/detail/source_text.h"

#include <gtest/gtest.h>

#include <string>

namespace vant::host::pages::detail {
namespace {

// Which code page wins for a file's bytes; failures are shown as
// "error CP line".
TEST(SourceTextTest, ReadingRules) {
  struct Row {
    const char* what;
    std::string bytes;
    std::uint32_t codePage;
    std::string text;
  };
  const Row rows[] = {
      {"Shift_JIS", "\x93\xFA\x96\x7B", 932, "\xE6\x97\xA5\xE6\x9C\xAC"},
      {"Windows-1252", "caf\xE9", 1252, "caf\xC3\xA9"},
      {"a byte order mark means UTF-8", "\xEF\xBB\xBF\xE6\x97\xA5", 932, "\xE6\x97\xA5"},
      {"valid UTF-8 declaring 932 stays UTF-8", "\xE6\x97\xA5", 932, "\xE6\x97\xA5"},
      {"UTF-16 pages are read as UTF-8", "a\xFF", 1200, "error 65001 1"},
      {"ISO-2022-JP escapes", "a\x1B$BF|\x1B(B", 50220, "a\xE6\x97\xA5"},
      {"1252 lacks 0x81", "ok\r\nok\r\x81", 1252, "error 1252 3"},
      {"Shift_JIS cut off at the end", "\x93", 932, "error 932 1"},
      {"invalid UTF-8 after a BOM", "\xEF\xBB\xBF\n\xC3", 1252, "error 65001 2"},
  };
  for (const Row& row : rows) {
    const auto decoded = DecodeSourceText(row.bytes, row.codePage);
    std::string got;
    if (const auto* text = std::get_if<std::string>(&decoded)) {
      got = *text;
    } else {
      const auto& error = std::get<SourceTextError>(decoded);
      got = "error " + std::to_string(error.codePage) + " " + std::to_string(error.line);
    }
    EXPECT_EQ(got, row.text) << row.what;
  }
}

}  // namespace
}  // namespace vant::host::pages::detail
