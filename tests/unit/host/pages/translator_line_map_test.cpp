#include <gtest/gtest.h>

#include <map>
#include <string>

#include "host/pages/translator.h"
#include "translator_fixture.h"

namespace vant::host::pages {
namespace {

using testing::TranslatorFixture;

class TranslatorLineMapTest : public TranslatorFixture {};

struct ThrowCase {
  const char* name;
  std::map<std::string, std::string> includes;  // virtual path -> text
  std::string page;
  const char* file;  // where the error must be reported
  int line;
};

// The engine reports the script line of an error; the line map must turn
// it into the page file and line that holds the failing statement.
TEST_F(TranslatorLineMapTest, ErrorsPointAtTheirPageLine) {
  const char* kThrow = "<% throw new Error('here') %>";
  const ThrowCase cases[] = {
      {"after CR LF text", {}, std::string("a\r\nb\r\n") + kThrow, "/page.asp", 3},
      {"after lone CR text", {}, std::string("a\rb\r") + kThrow, "/page.asp", 3},
      {"after U+2028 text", {}, std::string("a\xE2\x80\xA8") + kThrow, "/page.asp", 2},
      {"inside code", {}, "<%\nvar a = 1;\n\nthrow new Error('x');\n%>", "/page.asp", 4},
      {"after an expression", {}, std::string("<%= 1 +\n2 %>\n") + kThrow, "/page.asp", 3},
      {"after a rewritten assignment",
       {},
       std::string("<% if (false) Session(\n'x'\n) = 1 %>\n") + kThrow,
       "/page.asp",
       4},
      {"after a directive",
       {},
       std::string("<%@ LANGUAGE=JScript\r\n %>\r\n") + kThrow,
       "/page.asp",
       3},
      {"in an include",
       {{"/inc.inc", std::string("one\ntwo\n") + kThrow}},
       "a\n<!-- #include file=\"inc.inc\" -->\n<% x %>",
       "/inc.inc",
       3},
      {"after an include",
       {{"/inc.inc", "1\n2\n3\n"}},
       std::string("a\n<!-- #include file=\"inc.inc\" -->\n") + kThrow,
       "/page.asp",
       3},
      {"include mid-line",
       {{"/i.inc", "i"}},
       std::string("x <!-- #include file=\"i.inc\" --> ") + kThrow,
       "/page.asp",
       1},
      {"in a server script",
       {},
       "line1\n<script runat=server>\nfunction f() {}\nthrow new Error('x');\n</script>\nafter\n",
       "/page.asp",
       4},
      {"in a server script of an include",
       {{"/inc.inc", "\n<script runat=server>\nthrow new Error('x')</script>"}},
       "p\n<!-- #include file=inc.inc -->",
       "/inc.inc",
       3},
      {"in a function the page calls",
       {},
       "<% f() %>\n<script runat=server>\nfunction f() {\n  throw new Error('x');\n}\n</script>",
       "/page.asp",
       4},
      {"syntax error", {}, "a\nb\n<% var = ; %>", "/page.asp", 3},
      {"after a CR that ends code before a server script",
       {},
       std::string("<% var x = 1\r%><script runat=server>\n</script>\n") + kThrow,
       "/page.asp",
       4},
  };
  for (const auto& c : cases) {
    loader_.files.clear();
    for (const auto& [path, text] : c.includes) AddFile(path, text);
    const TranslatedPage page = Page(c.page);
    testing::ScriptRunner runner;
    const testing::RunResult run = runner.Run(page.script);
    ASSERT_FALSE(run.ok) << c.name;
    const auto where = page.lines.Find(run.errorLine);
    ASSERT_TRUE(where.has_value())
        << c.name << ": script line " << run.errorLine << " not mapped (" << run.error << ")";
    EXPECT_EQ(page.files[where->file].virtualPath, c.file) << c.name << ": " << run.error;
    EXPECT_EQ(where->line, c.line) << c.name << ": " << run.error << "\nscript:\n" << page.script;
  }
}

TEST_F(TranslatorLineMapTest, LinesOutsideTheScriptAreUnmapped) {
  const TranslatedPage page = Page("a\nb");
  EXPECT_EQ(page.lines.Lines(), 2);
  EXPECT_FALSE(page.lines.Find(0).has_value());
  EXPECT_FALSE(page.lines.Find(3).has_value());
}

}  // namespace
}  // namespace vant::host::pages
