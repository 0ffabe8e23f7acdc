// A light tokenizer for ES5 page script: enough to find where a code block
// ends, to tell a regular expression from a division, and to see the shape
// of calls and assignments. It never rejects input: malformed text becomes
// tokens flagged `unterminated` or single-character punctuators, and the
// script engine reports the real syntax error later.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace vant::host::pages::detail {

enum class TokenKind {
  kIdentifier,  // a name that is not a reserved word
  kKeyword,     // a reserved word, `this`, `null`, `true`, `false`
  kNumber,
  kString,
  kRegex,
  kPunctuator,
  kLineComment,   // `// …`, `<!-- …` and `--> …` at a line start
  kBlockComment,  // `/* … */`
  kEnd,           // end of input, or the `%>` that ends a code block
};

struct Token {
  TokenKind kind = TokenKind::kEnd;
  std::size_t begin = 0;  // byte offsets into the lexed text
  std::size_t end = 0;
  std::string_view text;
  bool newlineBefore = false;   // a line break since the previous significant token
  bool endsExpression = false;  // a following `/` divides, `(` calls, `++` is postfix
  bool opensHead = false;     // `(` of `if (`, `while (`, `for (`, `with (`, `switch (`, `catch (`
  bool unterminated = false;  // string, regex or block comment missing its closing mark

  bool Is(std::string_view punctuator) const {
    return kind == TokenKind::kPunctuator && text == punctuator;
  }
  bool IsKeyword(std::string_view word) const {
    return kind == TokenKind::kKeyword && text == word;
  }
};

class JsLexer {
 public:
  // stopAtBlockClose: lex the inside of a `<% … %>` block; the first `%>`
  // that is not inside a string literal ends the input (as kEnd at the `%`).
  // Comments and regular expressions do not hide it, as in classic pages.
  explicit JsLexer(std::string_view text, bool stopAtBlockClose = false);

  // The next token, comments included. Returns kEnd forever once done.
  Token Next();

 private:
  bool AtBlockClose(std::size_t at) const;
  bool SkipSpaceAndBreaks();
  bool RegexAllowed() const;
  Token Make(TokenKind kind, std::size_t begin);
  Token LexLineComment(std::size_t begin);
  Token LexBlockComment(std::size_t begin);
  Token LexString(std::size_t begin);
  Token LexRegex(std::size_t begin);
  Token LexNumber(std::size_t begin);
  Token LexWord(std::size_t begin);
  Token LexPunctuator(std::size_t begin);
  void Remember(Token& token);

  std::string_view text_;
  bool stopAtBlockClose_;
  std::size_t pos_ = 0;
  bool newlineSeen_ = true;  // the start of the input counts as a line start
  bool done_ = false;
  Token previous_;            // last significant token (kEnd before the first)
  std::vector<bool> parens_;  // for each open `(`: does it open a statement head?
};

// Every significant token of text (comments dropped), ending with kEnd.
std::vector<Token> Tokenize(std::string_view text);

// Every token of text, comments included, ending with kEnd.
std::vector<Token> TokenizeWithComments(std::string_view text);

// A bracket without a partner in MatchBrackets.
inline constexpr std::size_t kNoMatch = static_cast<std::size_t>(-1);

// For each `(` `[` `{` token and its closing partner, the index of the
// other one; kNoMatch for every other token and for unbalanced brackets.
std::vector<std::size_t> MatchBrackets(const std::vector<Token>& tokens);

// An identifier or a reserved word: what may follow a `.`.
inline bool IsName(const Token& token) {
  return token.kind == TokenKind::kIdentifier || token.kind == TokenKind::kKeyword;
}

// Offset of the `%>` that ends the code block whose inside starts at from,
// or npos when the block is never closed.
std::size_t FindBlockClose(std::string_view text, std::size_t from);

}  // namespace vant::host::pages::detail
