#include "host/pages/translator.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "host/pages/call_result_helpers.h"
#include "host/pages/detail/line_breaks.h"
#include "translator_fixture.h"

namespace vant::host::pages {
namespace {

using testing::TranslatorFixture;

class TranslatorTest : public TranslatorFixture {};

struct OutputCase {
  const char* name;
  std::string page;
  std::string output;  // what the page writes
};

// Literal text must come out byte for byte, whatever it holds.
TEST_F(TranslatorTest, LiteralTextRoundTrips) {
  const OutputCase cases[] = {
      {"plain", "<p>Hello</p>", "<p>Hello</p>"},
      {"quotes", "say \"hi\" and 'bye'", "say \"hi\" and 'bye'"},
      {"backslashes", "C:\\dir\\ and \\\" and \\n", "C:\\dir\\ and \\\" and \\n"},
      {"client script", "<script>var s = \"</script>\";</script>",
       "<script>var s = \"</script>\";</script>"},
      {"closing tag alone", "a</script>b", "a</script>b"},
      {"LF", "a\nb\n", "a\nb\n"},
      {"CR LF", "a\r\nb\r\n\r\n", "a\r\nb\r\n\r\n"},
      {"lone CR", "a\rb\r", "a\rb\r"},
      {"line separators",
       "a\xE2\x80\xA8"
       "b\xE2\x80\xA9"
       "c",
       "a\xE2\x80\xA8"
       "b\xE2\x80\xA9"
       "c"},
      {"UTF-8", "caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC", "caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC"},
      {"controls",
       std::string("a\tb\x01"
                   "c\x7F"
                   "d\0e",
                   9),
       std::string("a\tb\x01"
                   "c\x7F"
                   "d\0e",
                   9)},
      {"percent signs", "100% and %> alone", "100% and %> alone"},
      {"HTML comment", "<!-- note --> <!--#other -->", "<!-- note --> <!--#other -->"},
      {"empty", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Output(c.page), c.output) << c.name;
  }
}

// Bytes the page's code page does not define stop the translation at their
// file and line (the reading rules themselves: source_text_test.cpp).
TEST_F(TranslatorTest, BytesOutsideTheCodePageFailAtTheirFileAndLine) {
  AddFile("/bad.inc", "ok\n\x81\x20");
  const std::tuple<std::string, const char*, int, const char*> rows[] = {
      {"a\nb\xFF", "/page.asp", 2, "in code page 65001 (line 2)"},
      {"<%@ CODEPAGE=932 %><!-- #include file=\"bad.inc\" -->", "/bad.inc", 2, "code page 932"},
      {"<%@ CODEPAGE=12345 %>\xE9", "/page.asp", 0, "code page 12345 is not one"},
  };
  for (const auto& [page, file, line, message] : rows) {
    const TranslateError error = Error(page);
    EXPECT_EQ(error.file, file) << page;
    EXPECT_EQ(error.line, line) << page;
    EXPECT_NE(error.message.find(message), std::string::npos) << error.message;
  }
}

TEST_F(TranslatorTest, CharactersAboveBmpBecomeSurrogatePairs) {
  const TranslatedPage page = Page("\xF0\x9F\x98\x80");
  testing::ScriptRunner runner;
  ASSERT_TRUE(runner.Run(page.script).ok);
  EXPECT_EQ(runner.Eval("__out[0].length + ':' + __out[0].charCodeAt(0).toString(16) + "
                        "':' + __out[0].charCodeAt(1).toString(16)"),
            "2:d83d:de00");
}

TEST_F(TranslatorTest, CodeAndExpressions) {
  const OutputCase cases[] = {
      {"expression", "a<%= 1 + 2 %>b", "a3b"},
      {"expression string", "<%= \"x\" %>", "x"},
      {"close mark in a string", "<%= 'a' + \"%>\" %>", "a%>"},
      {"close mark in a code string", "<% var s = \"%>\"; %><%= s %>", "%>"},
      {"loop around text", "<% for (var i = 0; i < 3; i++) { %>[<%= i %>]<% } %>", "[0][1][2]"},
      {"if around text", "<% if (false) %>hidden<% ; %>shown", "shown"},
      {"if else", "<% if (1 > 2) { %>no<% } else { %>yes<% } %>", "yes"},
      {"statement without semicolon", "<% var a = 1 %>x<%= a %>", "x1"},
      {"code after code", "<% Response.Write('a') %><% Response.Write('b') %>", "ab"},
      {"return value code", "<% var n = 2 %><% n++ %><%= n %>", "3"},
      {"trailing line comment", "<% var x = 1 // note */ %>after<%= x %>", "after1"},
      {"only a comment", "a<% // nothing %>b", "ab"},
      {"expression with semicolon", "<%= 5; %>", "5"},
      {"expression with comment", "<%= 1 // one %>", "1"},
      {"multi-line expression", "<%= 1 +\n 2 %>", "3"},
      {"function in code", "<% function f() { return 'F'; } %><%= f() %>", "F"},
      {"function used before", "<%= g() %><% function g() { return 'G'; } %>", "G"},
      {"client script with expression", "<script>var x = <%= 1 + 1 %>;</script>",
       "<script>var x = 2;</script>"},
      {"regex with quote", "<% var r = 'a\"b'.replace(/\"/g, ''); %><%= r %>", "ab"},
      {"code in tag attribute", "<a href=\"<%= 'x' %>\">", "<a href=\"x\">"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Output(c.page), c.output) << c.name << ": " << c.page;
  }
}

TEST_F(TranslatorTest, AssignmentToCallResultRunsThroughHelpers) {
  const TranslatedPage page =
      Page("<% Session(\"n\") = 1; ++Session(\"n\"); Session(\"n\") += 10 %><%= Session(\"n\") %>");
  testing::ScriptRunner runner;
  runner.Define(std::string(kCallResultPrelude));
  runner.Define(R"js(
    var data = {};
    function Session(k) { return data[k]; }
    function __vantGet(t, m, a) { return data[a[0]]; }
    function __vantPut(t, m, a, v) { data[a[0]] = v; return v; }
  )js");
  const auto run = runner.Run(page.script);
  EXPECT_TRUE(run.ok) << run.error << "\n" << page.script;
  EXPECT_EQ(run.output, "12");
}

struct DirectiveCase {
  const char* page;
  const char* language;
  std::optional<std::uint32_t> codePage;
  bool sessionState;
  std::optional<std::uint32_t> lcid;
};

TEST_F(TranslatorTest, DirectivesAreReported) {
  const DirectiveCase cases[] = {
      {"<%@ LANGUAGE=JScript CODEPAGE=65001 ENABLESESSIONSTATE=False LCID=1033 %>\nhi", "JScript",
       65001, false, 1033},
      {"<%@language=\"JScript\"%>", "JScript", std::nullopt, true, std::nullopt},
      {"\n\n<%@ CodePage = 932 %>", "JScript", 932, true, std::nullopt},
      {"no directive", "JScript", std::nullopt, true, std::nullopt},
  };
  for (const auto& c : cases) {
    const TranslatedPage page = Page(c.page);
    EXPECT_EQ(page.directives.language, c.language) << c.page;
    EXPECT_EQ(page.directives.codePage, c.codePage) << c.page;
    EXPECT_EQ(page.directives.sessionState, c.sessionState) << c.page;
    EXPECT_EQ(page.directives.lcid, c.lcid) << c.page;
  }
  EXPECT_EQ(Output("<%@ LANGUAGE=JScript %>\r\nHello"), "\r\nHello");
}

struct ErrorCase {
  const char* page;
  const char* message;
  int line;
};

TEST_F(TranslatorTest, PageErrorsNameTheLine) {
  const ErrorCase cases[] = {
      {"<%@ LANGUAGE=VBScript %>\n<% x %>",
       "VBScript is not supported. This server runs JScript pages only; the page asks for "
       "VBScript.",
       1},
      {"<% x() %>\n<script language=\"VBScript\" runat=\"server\">Sub x\nEnd Sub</script>",
       "VBScript is not supported. This server runs JScript pages only; a <script "
       "runat=\"server\"> block asks for VBScript.",
       2},
      {"<% /*@cc_on @*/ %>\n<% /*@if (@_win32) @*/ x(); %>", "This @if has no matching @end.", 2},
      {"<% /*@cc_on @*/\n /*@end @*/ %>", "This @end has no @if.", 2},
      {"<% /*@cc_on @*/\n\n@if (@_win32 +) x(); @end %>",
       "This conditional compilation expression cannot be read.", 3},
      {"<% var f =\n function String.prototype.f() {} %>",
       "The JScript declaration 'function String.prototype.f()' is supported only as a "
       "statement; assign a function expression instead: String.prototype.f = function () "
       "{...}.",
       2},
      {"a\n<%@ LANGUAGE=JScript CODEPAGE=x %>",
       "The @ directive value 'x' is not valid for CODEPAGE.", 2},
      {"<% x %>\n<%@ LANGUAGE=JScript %>",
       "The <%@ %> directive must come before any script on the page.", 2},
      {"<%@ LANGUAGE=JScript %>\n\n<%@ CODEPAGE=65001 %>",
       "The page has more than one <%@ %> directive.", 3},
      {"a\nb\n<% x = 1\n", "This '<%' has no matching '%>'.", 3},
      {"<%= \"%>\" ", "This '<%' has no matching '%>'.", 1},
      {"\n<script runat=\"server\">\nvar a;\n",
       "This <script runat=\"server\"> block has no closing </script>.", 2},
      {"<script runat=server src=\"x.js\"></script>",
       "A <script runat=\"server\"> block cannot load src=; use <!-- #include -->.", 1},
      {"\n\n<script runat=server language=PerlScript>x</script>",
       "This server runs JScript pages only; a <script runat=\"server\"> block asks for "
       "PerlScript.",
       3},
  };
  for (const auto& c : cases) {
    const TranslateError error = Error(c.page);
    EXPECT_EQ(error.message, c.message) << c.page;
    EXPECT_EQ(error.file, "/page.asp") << c.page;
    EXPECT_EQ(error.line, c.line) << c.page;
  }
}

// Page code runs in document order, then the code of the server script
// blocks (in order), which may define functions the page already called.
TEST_F(TranslatorTest, ServerScriptsRunAfterThePage) {
  const std::string page =
      "<script runat=\"server\">Response.Write(\"[S1]\");</script>"
      "A<% Response.Write(f()) %>B"
      "<SCRIPT RUNAT=Server LANGUAGE=\"JScript\">function f() { return \"[F]\"; } "
      "Response.Write(\"[S2]\")</SCRIPT>"
      "<script type=\"text/javascript\" runat=\"server\">Response.Write(\"[S3]\" + s)\n</script >"
      "<script>client()</script>"
      "<script runat=server>var s = \"<%\";</script>"
      "<% var t = 1 %>";
  EXPECT_EQ(Output(page), "A[F]B<script>client()</script>[S1][S2][S3]undefined");
}

TEST_F(TranslatorTest, ServerScriptCodeStaysApartFromThePreviousLine) {
  // Without a separator, the block's leading parenthesis would call `f`.
  const std::string page =
      "<% var f = function () { return 'called'; }; var x = f %>"
      "<script runat=server>\n(function () { Response.Write('iife'); })()</script>"
      "<script runat=server>var y = 1 // comment at the end</script>"
      "<script runat=server>Response.Write(y)</script>";
  EXPECT_EQ(Output(page), "iife1");
}

// Without server scripts the script is the page part alone, which must
// hold exactly the page's line breaks.
TEST_F(TranslatorTest, PageScriptKeepsPageLineCount) {
  const std::string pages[] = {
      "a\r\nb<% x = 1\r\n y = 2 %>\rc<%= 1 +\n2 %>\xE2\x80\xA8"
      "d",
      "<%@ LANGUAGE=JScript\n CODEPAGE=65001 %>\n",
      "<% Session(\n'x'\n) = 1 // c\n%>\n<!-- x -->\n",
      "<%\r%><%\n%>",       // CR and LF in two blocks stay two breaks
      "<% x\r%><% \ny %>",  // same, with code
      "<%= 1\r;\n%>",       // the dropped semicolon kept CR and LF apart
      "<% /*@cc_on\n@if (@_win32)\nx = 1\n@else\ny = @_jscript_version\n@end @*/ %>\n",
      "<% function String.prototype.\nf() {\n} %>",
  };
  for (const auto& text : pages) {
    const TranslatedPage page = Page(text);
    EXPECT_EQ(detail::CountLineBreaks(page.script), detail::CountLineBreaks(text))
        << text << "\nscript: " << page.script;
  }
}

// The edges of the JScript-only forms (the common uses are in the e2e
// idioms).
TEST_F(TranslatorTest, JScriptDialectRewrites) {
  const OutputCase cases[] = {
      {"comment without cc_on", "<% /*@ Response.Write('x') @*/ %>ok", "ok"},
      {"comment naming a longer word", "<% /*@settings Response.Write('x') @*/ %>ok", "ok"},
      {"@if inside a dropped branch",
       "<% /*@cc_on @if (false) @if (true) Response.Write('a') @end Response.Write('b') @else @*/ "
       "Response.Write('c') /*@end @*/ %>",
       "c"},
      {"@elif after the taken branch",
       "<% /*@cc_on @if (1) Response.Write('a') @elif (1) Response.Write('b') @end @*/ %>", "a"},
      {"@set from a variable",
       "<% /*@cc_on @set @a = 2\n @set @b = @a * 3 > 5 @*/ "
       "Response.Write(@b) %>",
       "true"},
      {"negative value", "<% /*@cc_on @set @n = -2 @*/ Response.Write(1-@n) %>", "3"},
      {"@ in strings and regular expressions",
       "<% /*@cc_on @*/ Response.Write('a@if' + /@end/.source) %>", "a@if@end"},
      {"across code blocks", "<% /*@cc_on @*/ %>a<% /*@if (@_jscript) @*/ %>b<% /*@end @*/ %>",
       "ab"},
      {"dotted declaration inside a function",
       "<% function setup() { function Lib.f() { return 'f'; } } var Lib = {}; setup(); "
       "Response.Write(Lib.f()) %>",
       "f"},
      {"reserved word as the member",
       "<% var o = {}; function o.delete() { return 'd'; } Response.Write(o.delete()) %>", "d"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Output(c.page), c.output) << c.name;
  }
}

}  // namespace
}  // namespace vant::host::pages
