#include "host/pages/page_directives.h"

#include <gtest/gtest.h>

#include <string>

namespace vant::host::pages {
namespace {

// "JScript cp=65001 session=0 lcid=1033" ("-" for a value not given), or
// the error message.
std::string Describe(std::string_view body) {
  const auto parsed = ParseDirectives(body);
  if (const auto* message = std::get_if<std::string>(&parsed)) return *message;
  const auto& d = std::get<PageDirectives>(parsed);
  const auto number = [](const std::optional<std::uint32_t>& n) {
    return n ? std::to_string(*n) : std::string("-");
  };
  return d.language + " cp=" + number(d.codePage) + " session=" + (d.sessionState ? "1" : "0") +
         " lcid=" + number(d.lcid);
}

struct DirectiveCase {
  const char* body;
  const char* expected;
};

TEST(PageDirectivesTest, Table) {
  const DirectiveCase cases[] = {
      {" LANGUAGE=JScript CODEPAGE=65001 ENABLESESSIONSTATE=False LCID=1033 ",
       "JScript cp=65001 session=0 lcid=1033"},
      {"language=\"jscript\"", "JScript cp=- session=1 lcid=-"},
      {"Language = 'JavaScript'  codepage = \"932\"", "JScript cp=932 session=1 lcid=-"},
      {"LCID=1041 LANGUAGE=ECMAScript", "JScript cp=- session=1 lcid=1041"},
      {"\tEnableSessionState=TRUE\r\n", "JScript cp=- session=1 lcid=-"},
      {"ENABLESESSIONSTATE=0", "JScript cp=- session=0 lcid=-"},
      {"CODEPAGE=1252 CODEPAGE=65001", "JScript cp=65001 session=1 lcid=-"},
      {"TRANSACTION=Required LANGUAGE=JScript", "JScript cp=- session=1 lcid=-"},
      {"", "JScript cp=- session=1 lcid=-"},
      {"LANGUAGE=VBScript",
       "VBScript is not supported. This server runs JScript pages only; the page asks for "
       "VBScript."},
      {"language=\"vbscript\" CODEPAGE=65001",
       "VBScript is not supported. This server runs JScript pages only; the page asks for "
       "VBScript."},
      {"LANGUAGE=PerlScript", "This server runs JScript pages only; the page asks for PerlScript."},
      {"CODEPAGE=abc", "The @ directive value 'abc' is not valid for CODEPAGE."},
      {"CODEPAGE=0", "The @ directive value '0' is not valid for CODEPAGE."},
      {"CODEPAGE=99999999999", "The @ directive value '99999999999' is not valid for CODEPAGE."},
      {"LCID=-1", "The @ directive value '-1' is not valid for LCID."},
      {"LCID=1033x", "The @ directive value '1033x' is not valid for LCID."},
      {"ENABLESESSIONSTATE=maybe",
       "The @ directive value 'maybe' is not valid for ENABLESESSIONSTATE."},
      {"FOO=1", "The @ directive has an unknown keyword 'FOO'."},
      {"LANGUAGE", "The @ directive keyword 'LANGUAGE' has no value."},
      {"LANGUAGE= ", "The @ directive keyword 'LANGUAGE' has no value."},
      {"LANGUAGE=\"JScript", "The @ directive keyword 'LANGUAGE' has no value."},
      {"JScript", "The @ directive keyword 'JSCRIPT' has no value."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Describe(c.body), c.expected) << "directive: <%@" << c.body << "%>";
  }
}

// The code page is read from the raw bytes, before they are decoded.
TEST(PageDirectivesTest, DeclaredCodePageIsTheFirstBlocksOnly) {
  const std::pair<std::string_view, std::optional<std::uint32_t>> rows[] = {
      {"<%@ CODEPAGE=932 %>\x95\x5C", 932},
      {"\xEF\xBB\xBF<html>\n<%@ LANGUAGE=JScript CodePage=\"949\" %>", 949},
      {"<%@ LANGUAGE=JScript %>", std::nullopt},
      {"<% var a; %><%@ CODEPAGE=932 %>", std::nullopt},
      {"<%@ CODEPAGE=932 FOO=1 %>", std::nullopt},
      {"<%@ CODEPAGE=932", std::nullopt},
      {"no script at all", std::nullopt},
  };
  for (const auto& [bytes, codePage] : rows) EXPECT_EQ(DeclaredCodePage(bytes), codePage) << bytes;
}

}  // namespace
}  // namespace vant::host::pages
