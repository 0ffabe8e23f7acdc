#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "host/pages/detail/include_expander.h"
#include "host/pages/translator.h"
#include "translator_fixture.h"

namespace vant::host::pages {
namespace {

using testing::TranslatorFixture;

class TranslatorIncludeTest : public TranslatorFixture {};

TEST_F(TranslatorIncludeTest, ResolvesFileVirtualAndNestedIncludes) {
  AddFile("/sub/inc/a.inc", "[a]<!-- #include file=\"b.inc\" -->");
  AddFile("/sub/inc/b.inc", "[b]");
  AddFile("/lib/c.inc", "[c]<!--#INCLUDE VIRTUAL='/lib/d.inc'-->");
  AddFile("/lib/d.inc", "[d]");
  AddFile("/sub/x.inc", "[x]");
  const std::string page =
      "<!-- #include file=\"inc/a.inc\" -->|<!-- #include virtual=\"/lib/c.inc\" -->|"
      "<!-- #Include File = inc/../x.inc -->|<!--  #include  file=\"inc\\b.inc\"  -->";
  EXPECT_EQ(Output(page, "/sub/page.asp"), "[a][b]|[c][d]|[x]|[b]");

  const TranslatedPage translated = Page(page, "/sub/page.asp");
  std::vector<std::string> files;
  for (const auto& f : translated.files) files.push_back(f.virtualPath + " " + f.hostPath);
  EXPECT_EQ(files,
            (std::vector<std::string>{
                "/sub/page.asp /srv/site/sub/page.asp", "/sub/inc/a.inc /srv/site/sub/inc/a.inc",
                "/sub/inc/b.inc /srv/site/sub/inc/b.inc", "/lib/c.inc /srv/site/lib/c.inc",
                "/lib/d.inc /srv/site/lib/d.inc", "/sub/x.inc /srv/site/sub/x.inc"}));
}

TEST_F(TranslatorIncludeTest, IncludedCodeSharesThePageScript) {
  AddFile("/inc/lib.inc", "<% function hello(n) { return 'hi ' + n; } var shared = 5; %>");
  EXPECT_EQ(Output("<!-- #include virtual=\"/inc/lib.inc\" --><%= hello(shared) %>"), "hi 5");
}

TEST_F(TranslatorIncludeTest, ByteOrderMarksAreDropped) {
  AddFile("/a.inc", "\xEF\xBB\xBF[a]");
  EXPECT_EQ(Output("\xEF\xBB\xBFp<!-- #include file=\"a.inc\" -->"), "p[a]");
}

TEST_F(TranslatorIncludeTest, MissingPage) {
  const auto result = Translate("/nope.asp");
  ASSERT_TRUE(std::holds_alternative<TranslateError>(result));
  const auto& error = std::get<TranslateError>(result);
  EXPECT_EQ(error.message, "The page /nope.asp was not found.");
  EXPECT_EQ(error.file, "/nope.asp");
  EXPECT_EQ(error.line, 0);
}

struct IncludeErrorCase {
  const char* name;
  std::map<std::string, std::string> files;  // virtual path -> text, besides the page
  const char* page;
  const char* message;
  const char* file;
  int line;
};

TEST_F(TranslatorIncludeTest, ErrorsNameTheDirective) {
  const IncludeErrorCase cases[] = {
      {"above the root",
       {},
       "\n<!-- #include file=\"../etc/passwd\" -->",
       "The include path \"../etc/passwd\" leaves the site root; '..' may not go above it.",
       "/page.asp",
       2},
      {"virtual above the root",
       {},
       "<!-- #include virtual=\"/a/../../x.inc\" -->",
       "The include path \"/a/../../x.inc\" leaves the site root; '..' may not go above it.",
       "/page.asp",
       1},
      {"drive letter",
       {},
       "<!-- #include file=\"C:\\x.inc\" -->",
       "The include path \"C:\\x.inc\" does not name a file inside the site.",
       "/page.asp",
       1},
      {"empty path",
       {},
       "<!-- #include file=\"\" -->",
       "The include path \"\" does not name a file inside the site.",
       "/page.asp",
       1},
      {"missing file",
       {},
       "a\r\nb\r\n<!-- #include file=\"missing.inc\" -->",
       "The include file /missing.inc was not found.",
       "/page.asp",
       3},
      {"missing in a nested file",
       {{"/a.inc", "x\n<!-- #include file=\"gone.inc\" -->"}},
       "<!-- #include file=\"a.inc\" -->",
       "The include file /gone.inc was not found.",
       "/a.inc",
       2},
      {"loop",
       {{"/a.inc", "<!-- #include file=\"b.inc\" -->"},
        {"/b.inc", "x\n<!-- #include file=\"a.inc\" -->"}},
       "<!-- #include file=\"a.inc\" -->",
       "The include file /a.inc includes itself (/page.asp -> /a.inc -> /b.inc -> /a.inc).",
       "/b.inc",
       2},
      {"page includes itself",
       {},
       "<!-- #include virtual=\"/page.asp\" -->",
       "The include file /page.asp includes itself (/page.asp -> /page.asp).",
       "/page.asp",
       1},
      {"no closing mark",
       {},
       "<!-- #include file=\"x.inc\" ",
       "Malformed #include directive; write <!-- #include file=\"name\" --> or virtual=\"/path\".",
       "/page.asp",
       1},
      {"unknown kind",
       {},
       "ok\n<!-- #include page=\"x.inc\" -->",
       "Malformed #include directive; write <!-- #include file=\"name\" --> or virtual=\"/path\".",
       "/page.asp",
       2},
      {"no blank after #include",
       {},
       "<!-- #includefile=\"x.inc\" -->",
       "Malformed #include directive; write <!-- #include file=\"name\" --> or virtual=\"/path\".",
       "/page.asp",
       1},
  };
  for (const auto& c : cases) {
    loader_.files.clear();
    for (const auto& [path, text] : c.files) AddFile(path, text);
    const TranslateError error = Error(c.page);
    EXPECT_EQ(error.message, c.message) << c.name;
    EXPECT_EQ(error.file, c.file) << c.name;
    EXPECT_EQ(error.line, c.line) << c.name;
  }
}

TEST_F(TranslatorIncludeTest, NeverAsksTheLoaderOutsideTheSite) {
  Error("<!-- #include file=\"../../etc/passwd\" -->");
  Error("<!-- #include virtual=\"\\..\\x\" -->");
  for (const auto& path : loader_.loads) EXPECT_EQ(path.rfind("/srv/site/", 0), 0u) << path;
}

TEST_F(TranslatorIncludeTest, DeepNestingIsRefused) {
  const std::size_t files = detail::kMaxIncludeDepth + 5;
  for (std::size_t i = 0; i < files; ++i) {
    AddFile("/d" + std::to_string(i) + ".inc",
            "<!-- #include file=\"d" + std::to_string(i + 1) + ".inc\" -->");
  }
  const TranslateError error = Error("<!-- #include file=\"d0.inc\" -->");
  EXPECT_EQ(error.message, "Include files are nested more than 32 deep.");
  EXPECT_EQ(error.file, "/d30.inc");
}

TEST_F(TranslatorIncludeTest, ExpansionSizeIsBounded) {
  // Each level includes the next twice: 2^12 copies of a 8 KiB file.
  for (int i = 0; i < 12; ++i) {
    const std::string next = "<!-- #include file=\"e" + std::to_string(i + 1) + ".inc\" -->";
    AddFile("/e" + std::to_string(i) + ".inc", next + next);
  }
  AddFile("/e12.inc", std::string(8192, 'x'));
  const TranslateError error = Error("<!-- #include file=\"e0.inc\" -->");
  EXPECT_EQ(error.message, "The page and its include files are larger than 16777216 bytes.");
}

}  // namespace
}  // namespace vant::host::pages
