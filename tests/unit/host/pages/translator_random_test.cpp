#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <string>

#include "host/pages/detail/call_assign_rewriter.h"
#include "host/pages/detail/line_breaks.h"
#include "host/pages/translator.h"
#include "translator_fixture.h"

namespace vant::host::pages {
namespace {

using testing::TranslatorFixture;

class TranslatorRandomTest : public TranslatorFixture {};

// Pieces that stress the scanner, lexer and rewriter together.
constexpr const char* kPieces[] = {
    "<%",
    "%>",
    "<%=",
    "<%@ LANGUAGE=JScript %>",
    "\"",
    "'",
    "/",
    "//",
    "/*",
    "*/",
    "\n",
    "\r\n",
    "\r",
    "\xE2\x80\xA8",
    "f(x)",
    " = ",
    "++",
    "+=",
    "Session(\"a\")",
    "(",
    ")",
    "{",
    "}",
    ";",
    "<script runat=server>",
    "</script>",
    "<script>",
    "<!-- #include file=\"a.inc\" -->",
    "text ",
    "\\",
    "a.b(1)(2)",
    "?:",
    "[",
    "]",
    ",",
    "\xFF",
    "x",
    "-->",
    "<!--",
    "new ",
    "if ",
    "\t",
    "0x1",
    "1.5e3",
    "return ",
    ".",
    "--",
    "/*@cc_on ",
    "@if (",
    "@elif (",
    "@else ",
    "@end ",
    "@*/",
    "//@",
    "@_win32",
    "@set @v = ",
    "function a.b",
};

// Whatever the page holds, translation either fails cleanly or keeps every
// page line on its own script line.
TEST_F(TranslatorRandomTest, PageLinesStayAlignedOnRandomPages) {
  AddFile("/a.inc", "inc\n<% i = 1 %>\n");
  std::mt19937 random(20240601);
  std::uniform_int_distribution<std::size_t> pick(0, std::size(kPieces) - 1);
  std::uniform_int_distribution<int> length(1, 60);
  int translated = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    for (int i = length(random); i > 0; --i) text += kPieces[pick(random)];
    ASSERT_EQ(detail::CountLineBreaks(detail::RewriteCallAssignments(text)),
              detail::CountLineBreaks(text))
        << "rewriting lost or added a line: " << text;
    AddFile("/page.asp", text);
    auto result = Translate();
    auto* page = std::get_if<TranslatedPage>(&result);
    if (page == nullptr) continue;
    ++translated;
    ASSERT_EQ(page->lines.Lines(), detail::CountLineBreaks(page->script) + 1)
        << "the map must cover the script exactly\npage: " << text << "\nscript: " << page->script;
    // Without includes or server scripts the script is the page part alone.
    if (text.find("#include") != std::string::npos || text.find("runat") != std::string::npos) {
      continue;
    }
    ASSERT_EQ(detail::CountLineBreaks(page->script), detail::CountLineBreaks(text))
        << "page: " << text << "\nscript: " << page->script;
  }
  EXPECT_GT(translated, 500);
}

}  // namespace
}  // namespace vant::host::pages
