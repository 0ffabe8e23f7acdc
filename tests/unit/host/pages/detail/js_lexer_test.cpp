#include "host/pages/detail/js_lexer.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace vant::host::pages::detail {
namespace {

// "I:a P:/ R:/x/g …", one entry per token, comments included.
std::string Describe(std::string_view code) {
  std::string out;
  for (const Token& t : TokenizeWithComments(code)) {
    if (t.kind == TokenKind::kEnd) break;
    static constexpr char kKinds[] = "IKNSRPLBE";
    if (!out.empty()) out += ' ';
    out += kKinds[static_cast<int>(t.kind)];
    if (t.unterminated) out += '!';
    out += ':';
    out += t.text;
  }
  return out;
}

struct LexCase {
  const char* code;
  const char* tokens;
};

TEST(JsLexerTest, TokenTable) {
  const LexCase cases[] = {
      {"a / b / c", "I:a P:/ I:b P:/ I:c"},
      {"x = /re/g.test(s)", "I:x P:= R:/re/g P:. I:test P:( I:s P:)"},
      {"if (a) /re/.test(b)", "K:if P:( I:a P:) R:/re/ P:. I:test P:( I:b P:)"},
      {"while (a) /=x/.exec(s)", "K:while P:( I:a P:) R:/=x/ P:. I:exec P:( I:s P:)"},
      {"f(a) / 2", "I:f P:( I:a P:) P:/ N:2"},
      {"a[0] /= 2", "I:a P:[ N:0 P:] P:/= N:2"},
      {"return /x/", "K:return R:/x/"},
      {"typeof /x/", "K:typeof R:/x/"},
      {"this / 2", "K:this P:/ N:2"},
      {"a++ / 2", "I:a P:++ P:/ N:2"},
      {"} /x/", "P:} R:/x/"},
      {"/[/]/.test(x)", "R:/[/]/ P:. I:test P:( I:x P:)"},
      {"/a\\/b/i", "R:/a\\/b/i"},
      {"x = /abc", "I:x P:= R!:/abc"},
      {R"("a\"b" 'c\'d')", R"(S:"a\"b" S:'c\'d')"},
      {"\"abc\ndef", "S!:\"abc I:def"},
      {"\"a\\\nb\"", "S:\"a\\\nb\""},
      {"'ends in a backslash\\", "S!:'ends in a backslash\\"},
      {"// c\nx", "L:// c I:x"},
      {"/* a\n */ b", "B:/* a\n */ I:b"},
      {"/* open", "B!:/* open"},
      {"a <!-- c\nb", "I:a L:<!-- c I:b"},
      {"-->x\ny", "L:-->x I:y"},
      {"x\n  --> c", "I:x L:--> c"},
      {"x --> y", "I:x P:-- P:> I:y"},
      {"1.5e+3 .5 0x1F 1..toString", "N:1.5e+3 N:.5 N:0x1F N:1. P:. I:toString"},
      {"a>>>=b===c!==d**=e", "I:a P:>>>= I:b P:=== I:c P:!== I:d P:**= I:e"},
      {"caf\xC3\xA9 = 1", "I:caf\xC3\xA9 P:= N:1"},
      {"a\xC2\xA0"
       "b",
       "I:a I:b"},
      {"\\u0061bc = 1", "I:\\u0061bc P:= N:1"},
      {"null / 2; true / 3", "K:null P:/ N:2 P:; K:true P:/ N:3"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Describe(c.code), c.tokens) << "code: " << c.code;
  }
}

TEST(JsLexerTest, IncrementIsPostfixOnlyAfterAValueOnTheSameLine) {
  const auto tokens = Tokenize("a++\n++b");
  ASSERT_EQ(tokens.size(), 5u);
  EXPECT_TRUE(tokens[1].endsExpression) << "a++ is postfix";
  EXPECT_TRUE(tokens[2].newlineBefore);
  EXPECT_FALSE(tokens[2].endsExpression) << "++ after a line break is prefix";
}

TEST(JsLexerTest, StatementHeadParenthesesAreMarked) {
  const auto tokens = Tokenize("if (a) (b)");
  ASSERT_EQ(tokens.size(), 8u);
  EXPECT_TRUE(tokens[1].opensHead);
  EXPECT_FALSE(tokens[3].endsExpression) << "the ) closing if ( does not end a value";
  EXPECT_FALSE(tokens[4].opensHead);
  EXPECT_TRUE(tokens[6].endsExpression);
}

struct CloseCase {
  const char* body;
  std::optional<std::string> code;  // what precedes the closing %>, nullopt: never closed
};

TEST(JsLexerTest, FindBlockCloseTable) {
  const CloseCase cases[] = {
      {" x = 1 %>rest", " x = 1 "},
      {" x = \"%>\" %>", " x = \"%>\" "},
      {" x = '%>' %>", " x = '%>' "},
      {" x = \"a\\\"%>\" %>", " x = \"a\\\"%>\" "},
      {" // it's a note %> after", " // it's a note "},
      {" /* %> */ %>", " /* "},
      {" s.replace(/\"/g, \"\"); %>", " s.replace(/\"/g, \"\"); "},
      {" a = b / 2; // don't %>", " a = b / 2; // don't "},
      {" x = /%>/ %>", " x = /"},
      {" x = \"abc %>\n", " x = \"abc "},
      {" if (a) {\n b();\n} %>", " if (a) {\n b();\n} "},
      {"%>", ""},
      {" x = 1", std::nullopt},
      {" x = \"%>\"", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) {
    const std::string text = std::string("<%") + c.body;
    const std::size_t at = FindBlockClose(text, 2);
    if (!c.code) {
      EXPECT_EQ(at, std::string::npos) << "body: " << c.body << " closed at " << at;
      continue;
    }
    ASSERT_NE(at, std::string::npos) << "body: " << c.body;
    EXPECT_EQ(text.substr(2, at - 2), *c.code) << "body: " << c.body;
  }
}

}  // namespace
}  // namespace vant::host::pages::detail
