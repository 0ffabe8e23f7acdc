#include "host/pages/detail/js_lexer.h"

#include <algorithm>
#include <array>
#include <string>

#include "host/pages/detail/line_breaks.h"

namespace vant::host::pages::detail {
namespace {

constexpr std::array<std::string_view, 36> kReservedWords = {
    "break",  "case",    "catch", "continue", "debugger", "default", "delete",     "do",
    "else",   "finally", "for",   "function", "if",       "in",      "instanceof", "new",
    "return", "switch",  "this",  "throw",    "try",      "typeof",  "var",        "void",
    "while",  "with",    "class", "const",    "enum",     "export",  "extends",    "import",
    "super",  "null",    "true",  "false"};

// Reserved words that still produce a value: `this / 2` divides.
constexpr std::array<std::string_view, 4> kValueWords = {"this", "null", "true", "false"};

// Keywords whose parenthesised head is not an expression: after `if (x)` a
// `/` starts a regular expression and `(` starts a new expression.
constexpr std::array<std::string_view, 6> kHeadWords = {"if",   "while",  "for",
                                                        "with", "switch", "catch"};

// Longest first, so the first match is the longest.
constexpr std::array<std::string_view, 27> kPunctuators = {
    ">>>=", "...", "===", "!==", "**=", "<<=", ">>=", ">>>", "==", "!=", "<=", ">=", "&&", "||",
    "++",   "--",  "+=",  "-=",  "*=",  "/=",  "%=",  "&=",  "|=", "^=", "<<", ">>", "**"};

template <std::size_t N>
bool Contains(const std::array<std::string_view, N>& words, std::string_view word) {
  for (const auto& w : words) {
    if (w == word) return true;
  }
  return false;
}

unsigned char Byte(std::string_view text, std::size_t at) {
  return at < text.size() ? static_cast<unsigned char>(text[at]) : 0;
}

// Length of the white space character at text[at] (ASCII blanks and the
// Unicode spaces ES5 allows: NBSP, BOM, U+2000-200A, U+202F, U+205F,
// U+3000, U+1680), or 0.
std::size_t SpaceLength(std::string_view text, std::size_t at) {
  const unsigned char c = Byte(text, at);
  if (at >= text.size()) return 0;
  if (c == ' ' || c == '\t' || c == '\v' || c == '\f') return 1;
  const unsigned char c1 = Byte(text, at + 1);
  const unsigned char c2 = Byte(text, at + 2);
  if (c == 0xC2 && c1 == 0xA0) return 2;
  if (c == 0xEF && c1 == 0xBB && c2 == 0xBF) return 3;
  if (c == 0xE2 && c1 == 0x80 && ((c2 >= 0x80 && c2 <= 0x8A) || c2 == 0xAF)) return 3;
  if (c == 0xE2 && c1 == 0x81 && c2 == 0x9F) return 3;
  if (c == 0xE3 && c1 == 0x80 && c2 == 0x80) return 3;
  if (c == 0xE1 && c1 == 0x9A && c2 == 0x80) return 3;
  return 0;
}

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

bool IsHexDigit(unsigned char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Letters, digits, `$`, `_`, `\` (for \uXXXX escapes) and every non-ASCII
// byte that is not a space or line break.
bool IsWordByte(std::string_view text, std::size_t at) {
  const unsigned char c = Byte(text, at);
  if (at >= text.size()) return false;
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c)) return true;
  if (c == '$' || c == '_' || c == '\\') return true;
  return c >= 0x80 && SpaceLength(text, at) == 0 && LineBreakAt(text, at) == 0;
}

}  // namespace

JsLexer::JsLexer(std::string_view text, bool stopAtBlockClose)
    : text_(text), stopAtBlockClose_(stopAtBlockClose) {}

bool JsLexer::AtBlockClose(std::size_t at) const {
  return stopAtBlockClose_ && at + 1 < text_.size() && text_[at] == '%' && text_[at + 1] == '>';
}

// Skips blanks and line breaks; records whether a break was crossed.
bool JsLexer::SkipSpaceAndBreaks() {
  while (pos_ < text_.size()) {
    if (const std::size_t len = LineBreakAt(text_, pos_)) {
      newlineSeen_ = true;
      pos_ += len;
      continue;
    }
    const std::size_t len = SpaceLength(text_, pos_);
    if (len == 0) break;
    pos_ += len;
  }
  return pos_ < text_.size();
}

bool JsLexer::RegexAllowed() const { return !previous_.endsExpression; }

Token JsLexer::Make(TokenKind kind, std::size_t begin) {
  Token token;
  token.kind = kind;
  token.begin = begin;
  token.end = pos_;
  token.text = text_.substr(begin, pos_ - begin);
  token.newlineBefore = newlineSeen_;
  return token;
}

Token JsLexer::Next() {
  if (done_ || !SkipSpaceAndBreaks() || AtBlockClose(pos_)) {
    done_ = true;
    return Make(TokenKind::kEnd, pos_);
  }
  const std::size_t begin = pos_;
  const std::string_view rest = text_.substr(pos_);
  Token token;
  if (rest.starts_with("//") || rest.starts_with("<!--") ||
      (rest.starts_with("-->") && newlineSeen_)) {
    return LexLineComment(begin);
  }
  if (rest.starts_with("/*")) return LexBlockComment(begin);
  const unsigned char c = Byte(text_, pos_);
  if (c == '"' || c == '\'') {
    token = LexString(begin);
  } else if (c == '/' && RegexAllowed()) {
    token = LexRegex(begin);
  } else if (IsDigit(c) || (c == '.' && IsDigit(Byte(text_, pos_ + 1)))) {
    token = LexNumber(begin);
  } else if (IsWordByte(text_, pos_)) {
    token = LexWord(begin);
  } else {
    token = LexPunctuator(begin);
  }
  Remember(token);
  return token;
}

Token JsLexer::LexLineComment(std::size_t begin) {
  while (pos_ < text_.size() && LineBreakAt(text_, pos_) == 0 && !AtBlockClose(pos_)) ++pos_;
  return Make(TokenKind::kLineComment, begin);
}

Token JsLexer::LexBlockComment(std::size_t begin) {
  pos_ += 2;
  bool closed = false;
  while (pos_ < text_.size() && !AtBlockClose(pos_)) {
    if (text_.substr(pos_).starts_with("*/")) {
      pos_ += 2;
      closed = true;
      break;
    }
    if (const std::size_t len = LineBreakAt(text_, pos_)) {
      newlineSeen_ = true;
      pos_ += len;
      continue;
    }
    ++pos_;
  }
  Token token = Make(TokenKind::kBlockComment, begin);
  token.unterminated = !closed;
  return token;
}

// A string ends at its quote; a line break (not escaped) leaves it
// unterminated. Inside a block, a string that never closes on its line gives
// back the first `%>` it swallowed, as classic pages end the block there.
Token JsLexer::LexString(std::size_t begin) {
  const char quote = text_[pos_++];
  std::size_t swallowedClose = std::string_view::npos;
  while (pos_ < text_.size()) {
    const char c = text_[pos_];
    if (c == quote) {
      ++pos_;
      return Make(TokenKind::kString, begin);
    }
    if (LineBreakAt(text_, pos_) != 0) break;
    if (AtBlockClose(pos_) && swallowedClose == std::string_view::npos) swallowedClose = pos_;
    if (c == '\\') {
      const std::size_t len = LineBreakAt(text_, pos_ + 1);
      pos_ = std::min(text_.size(), pos_ + 1 + (len != 0 ? len : 1));
      continue;
    }
    ++pos_;
  }
  if (swallowedClose != std::string_view::npos) pos_ = swallowedClose;
  Token token = Make(TokenKind::kString, begin);
  token.unterminated = true;
  return token;
}

Token JsLexer::LexRegex(std::size_t begin) {
  ++pos_;
  bool inClass = false;
  bool closed = false;
  while (pos_ < text_.size() && LineBreakAt(text_, pos_) == 0 && !AtBlockClose(pos_)) {
    const char c = text_[pos_++];
    if (c == '\\') {
      if (pos_ < text_.size() && LineBreakAt(text_, pos_) == 0) ++pos_;
    } else if (c == '[') {
      inClass = true;
    } else if (c == ']') {
      inClass = false;
    } else if (c == '/' && !inClass) {
      closed = true;
      break;
    }
  }
  while (closed && IsWordByte(text_, pos_)) ++pos_;  // flags
  Token token = Make(TokenKind::kRegex, begin);
  token.unterminated = !closed;
  return token;
}

Token JsLexer::LexNumber(std::size_t begin) {
  const auto digits = [this](bool hex) {
    while (pos_ < text_.size() &&
           (hex ? IsHexDigit(Byte(text_, pos_)) : IsDigit(Byte(text_, pos_))))
      ++pos_;
  };
  if (text_[pos_] == '0' && (Byte(text_, pos_ + 1) | 0x20) == 'x') {
    pos_ += 2;
    digits(true);
    return Make(TokenKind::kNumber, begin);
  }
  digits(false);
  if (Byte(text_, pos_) == '.') {
    ++pos_;
    digits(false);
  }
  const unsigned char e = Byte(text_, pos_) | 0x20;
  const unsigned char sign = Byte(text_, pos_ + 1);
  const bool signedExp = (sign == '+' || sign == '-') && IsDigit(Byte(text_, pos_ + 2));
  if (e == 'e' && (IsDigit(sign) || signedExp)) {
    pos_ += signedExp ? 2 : 1;
    digits(false);
  }
  return Make(TokenKind::kNumber, begin);
}

Token JsLexer::LexWord(std::size_t begin) {
  while (IsWordByte(text_, pos_)) ++pos_;
  Token token = Make(TokenKind::kIdentifier, begin);
  if (Contains(kReservedWords, token.text)) token.kind = TokenKind::kKeyword;
  return token;
}

Token JsLexer::LexPunctuator(std::size_t begin) {
  const std::string_view rest = text_.substr(pos_);
  for (const auto& p : kPunctuators) {
    if (rest.starts_with(p)) {
      pos_ += p.size();
      return Make(TokenKind::kPunctuator, begin);
    }
  }
  ++pos_;
  return Make(TokenKind::kPunctuator, begin);
}

// Works out what the token means for the next one, then makes it the
// previous significant token.
void JsLexer::Remember(Token& token) {
  switch (token.kind) {
    case TokenKind::kIdentifier:
    case TokenKind::kNumber:
    case TokenKind::kString:
    case TokenKind::kRegex:
      token.endsExpression = true;
      break;
    case TokenKind::kKeyword:
      token.endsExpression = Contains(kValueWords, token.text);
      break;
    case TokenKind::kPunctuator:
      if (token.Is("(")) {
        token.opensHead =
            previous_.kind == TokenKind::kKeyword && Contains(kHeadWords, previous_.text);
        parens_.push_back(token.opensHead);
      } else if (token.Is(")")) {
        const bool closesHead = !parens_.empty() && parens_.back();
        if (!parens_.empty()) parens_.pop_back();
        token.endsExpression = !closesHead;
      } else if (token.Is("]")) {
        token.endsExpression = true;
      } else if (token.Is("++") || token.Is("--")) {
        token.endsExpression = previous_.endsExpression && !token.newlineBefore;  // postfix
      }
      break;
    default:
      break;
  }
  previous_ = token;
  newlineSeen_ = false;
}

std::vector<Token> TokenizeWithComments(std::string_view text) {
  std::vector<Token> tokens;
  JsLexer lexer(text);
  for (;;) {
    tokens.push_back(lexer.Next());
    if (tokens.back().kind == TokenKind::kEnd) return tokens;
  }
}

std::vector<Token> Tokenize(std::string_view text) {
  std::vector<Token> tokens;
  JsLexer lexer(text);
  for (;;) {
    Token token = lexer.Next();
    if (token.kind == TokenKind::kLineComment || token.kind == TokenKind::kBlockComment) continue;
    tokens.push_back(token);
    if (token.kind == TokenKind::kEnd) return tokens;
  }
}

std::vector<std::size_t> MatchBrackets(const std::vector<Token>& tokens) {
  std::vector<std::size_t> match(tokens.size(), kNoMatch);
  std::vector<std::size_t> open;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const Token& t = tokens[i];
    if (t.Is("(") || t.Is("[") || t.Is("{")) {
      open.push_back(i);
      continue;
    }
    const char* opener = t.Is(")") ? "(" : t.Is("]") ? "[" : t.Is("}") ? "{" : nullptr;
    if (opener == nullptr || open.empty() || !tokens[open.back()].Is(opener)) continue;
    match[i] = open.back();
    match[open.back()] = i;
    open.pop_back();
  }
  return match;
}

std::size_t FindBlockClose(std::string_view text, std::size_t from) {
  if (from > text.size()) return std::string_view::npos;
  JsLexer lexer(text.substr(from), /*stopAtBlockClose=*/true);
  Token token;
  do {
    token = lexer.Next();
  } while (token.kind != TokenKind::kEnd);
  const std::size_t at = from + token.begin;
  return text.substr(at).starts_with("%>") ? at : std::string_view::npos;
}

}  // namespace vant::host::pages::detail
