#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string_view>
#include <vector>

#include "host/pages/detail/js_lexer.h"
#include "host/pages/detail/jscript_dialect.h"
#include "host/pages/detail/line_breaks.h"

namespace vant::host::pages::detail {
namespace {

constexpr std::string_view kDirectiveWords[] = {"cc_on", "if", "set"};
constexpr int kMaxDepth = 200;  // of parentheses and unary operators in an expression
constexpr std::string_view kUnreadable = "This conditional compilation expression cannot be read.";

// A conditional compilation value: a number, or a boolean (shown as one).
struct Value {
  double number = NAN;
  bool boolean = false;

  bool Truthy() const { return number == number && number != 0; }
};

Value Number(double n) { return Value{n, false}; }
Value Boolean(bool b) { return Value{b ? 1.0 : 0.0, true}; }

std::map<std::string, Value, std::less<>> PredefinedVariables() {
  return {{"_jscript", Boolean(true)},       {"_jscript_version", Number(5.8)},
          {"_jscript_build", Number(17514)}, {"_win32", Boolean(true)},
          {"_x86", Boolean(true)},           {"_microsoft", Boolean(true)},
          {"_debug", Boolean(false)},        {"_fast", Boolean(true)}};
}

std::string ValueText(const Value& value) {
  if (value.boolean) return value.Truthy() ? "true" : "false";
  if (value.number != value.number) return "NaN";
  char text[32];
  std::snprintf(text, sizeof text, "%.15g", value.number);
  // Parenthesised, so `x-@v` cannot become `x--1`.
  return value.number < 0 ? "(" + std::string(text) + ")" : std::string(text);
}

bool IsWord(const Token& token) {
  return token.kind == TokenKind::kIdentifier || token.kind == TokenKind::kKeyword;
}

// `@` directly followed by a name: the name token's index, or 0.
std::size_t AtName(const std::vector<Token>& tokens, std::size_t i) {
  if (!tokens[i].Is("@") || i + 1 >= tokens.size()) return 0;
  const Token& name = tokens[i + 1];
  return IsWord(name) && name.begin == tokens[i].end ? i + 1 : 0;
}

// True when text starts with one of the words that switch conditional
// compilation on, as a whole word: `/*@settings */` stays a comment.
bool StartsDirective(std::string_view text) {
  for (const std::string_view word : kDirectiveWords) {
    if (text.substr(0, word.size()) != word) continue;
    const char next = text.size() > word.size() ? text[word.size()] : ' ';
    if (!std::isalnum(static_cast<unsigned char>(next)) && next != '_' && next != '$') return true;
  }
  return false;
}

// Spaces over [begin, end), line breaks kept.
void Blank(std::string& script, std::size_t begin, std::size_t end) {
  for (std::size_t i = begin; i < end && i < script.size();) {
    if (const std::size_t length = LineBreakAt(script, i); length != 0) {
      i += length;
      continue;
    }
    script[i++] = ' ';
  }
}

// Makes the inside of `/*@ … @*/` and `//@ …` comments code once
// conditional compilation is on. False when it never comes on.
bool UnwrapComments(std::string& script) {
  const std::vector<Token> tokens = TokenizeWithComments(script);
  bool on = false;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const Token& token = tokens[i];
    const bool block = token.kind == TokenKind::kBlockComment;
    const bool line = token.kind == TokenKind::kLineComment;
    const std::string_view opener = token.text.substr(0, 3);
    if ((block && opener == "/*@") || (line && opener == "//@")) {
      if (!on && !StartsDirective(token.text.substr(3))) continue;
      on = true;
      Blank(script, token.begin, token.begin + 2);  // the `@` starts the code
      const std::string_view close = "@*/";
      if (block && token.text.size() >= 6 &&
          token.text.substr(token.text.size() - close.size()) == close) {
        Blank(script, token.end - close.size(), token.end);
      } else if (block && !token.unterminated) {
        Blank(script, token.end - 2, token.end);
      }
    } else if (const std::size_t name = AtName(tokens, i); name != 0) {
      if (StartsDirective(tokens[name].text)) on = true;
    }
  }
  return on;
}

// Reads one expression of tokens [pos, end) with the page's variables.
class Expression {
 public:
  Expression(const std::vector<Token>& tokens, std::size_t pos, std::size_t end,
             const std::map<std::string, Value, std::less<>>& variables)
      : tokens_(tokens), pos_(pos), end_(end), variables_(variables) {}

  // False when the tokens are not one whole expression.
  bool Evaluate(Value* out) { return EvaluatePrefix(out) && pos_ == end_; }

  // Reads the longest expression at the start; false when there is none.
  bool EvaluatePrefix(Value* out) {
    ok_ = true;
    *out = Or();
    return ok_;
  }

  // The token after what was read.
  std::size_t Position() const { return pos_; }

 private:
  bool Take(std::string_view punctuator) {
    if (pos_ < end_ && tokens_[pos_].Is(punctuator)) {
      ++pos_;
      return true;
    }
    return false;
  }

  Value Or() {
    Value left = And();
    while (Take("||")) {
      const Value right = And();
      left = Boolean(left.Truthy() || right.Truthy());
    }
    return left;
  }

  Value And() {
    Value left = Equality();
    while (Take("&&")) {
      const Value right = Equality();
      left = Boolean(left.Truthy() && right.Truthy());
    }
    return left;
  }

  Value Equality() {
    Value left = Relation();
    for (;;) {
      const bool equal = Take("==") || Take("===");
      if (!equal && !Take("!=") && !Take("!==")) return left;
      const Value right = Relation();
      left = Boolean((left.number == right.number) == equal);
    }
  }

  Value Relation() {
    Value left = Sum();
    for (;;) {
      const double a = left.number;
      if (Take("<=")) {
        left = Boolean(a <= Sum().number);
      } else if (Take(">=")) {
        left = Boolean(a >= Sum().number);
      } else if (Take("<")) {
        left = Boolean(a < Sum().number);
      } else if (Take(">")) {
        left = Boolean(a > Sum().number);
      } else {
        return left;
      }
    }
  }

  Value Sum() {
    Value left = Product();
    for (;;) {
      if (Take("+")) {
        left = Number(left.number + Product().number);
      } else if (Take("-")) {
        left = Number(left.number - Product().number);
      } else {
        return left;
      }
    }
  }

  Value Product() {
    Value left = Unary();
    for (;;) {
      if (Take("*")) {
        left = Number(left.number * Unary().number);
      } else if (Take("/")) {
        left = Number(left.number / Unary().number);
      } else if (Take("%")) {
        left = Number(std::fmod(left.number, Unary().number));
      } else {
        return left;
      }
    }
  }

  // Nesting is bounded: page text must not exhaust the translator's stack.
  Value Unary() {
    if (++depth_ > kMaxDepth) return Fail();
    Value value;
    if (Take("!")) {
      value = Boolean(!Unary().Truthy());
    } else if (Take("-")) {
      value = Number(-Unary().number);
    } else if (Take("+")) {
      value = Number(Unary().number);
    } else {
      value = Primary();
    }
    --depth_;
    return value;
  }

  Value Primary() {
    if (pos_ >= end_) return Fail();
    const Token& token = tokens_[pos_];
    if (Take("(")) {
      const Value inner = Or();
      return Take(")") ? inner : Fail();
    }
    if (token.kind == TokenKind::kNumber) {
      ++pos_;
      return Number(std::strtod(std::string(token.text).c_str(), nullptr));
    }
    if (token.IsKeyword("true") || token.IsKeyword("false")) {
      ++pos_;
      return Boolean(token.text == "true");
    }
    if (const std::size_t name = AtName(tokens_, pos_); name != 0 && name < end_) {
      pos_ = name + 1;
      const auto found = variables_.find(tokens_[name].text);
      return found != variables_.end() ? found->second : Value{};
    }
    return Fail();
  }

  Value Fail() {
    ok_ = false;
    pos_ = end_;
    return Value{};
  }

  const std::vector<Token>& tokens_;
  std::size_t pos_;
  std::size_t end_;
  const std::map<std::string, Value, std::less<>>& variables_;
  bool ok_ = true;
  int depth_ = 0;
};

// One `@if`: whether the enclosing code runs, whether a branch was taken.
struct Branch {
  std::size_t at;
  bool outerActive;
  bool taken;
};

class Evaluation {
 public:
  explicit Evaluation(std::string& script)
      : script_(script), tokens_(Tokenize(script)), variables_(PredefinedVariables()) {}

  std::optional<DialectError> Run() {
    for (std::size_t i = 0; i < tokens_.size() && tokens_[i].kind != TokenKind::kEnd;) {
      const std::size_t name = AtName(tokens_, i);
      if (name == 0 && tokens_[i].Is("@")) {
        Blank(script_, tokens_[i].begin, tokens_[i].end);  // the `@` of `/*@ code @*/`
        ++i;
        continue;
      }
      if (name == 0) {
        ++i;
        continue;
      }
      auto next = Directive(i, name);
      if (!next) return error_;
      i = *next;
    }
    if (!branches_.empty()) return ErrorAt(branches_.back().at, "This @if has no matching @end.");
    ApplyEdits();
    return std::nullopt;
  }

 private:
  // Handles the `@name` at token i; the index of the token after it.
  std::optional<std::size_t> Directive(std::size_t i, std::size_t name) {
    const std::string_view word = tokens_[name].text;
    const std::size_t begin = tokens_[i].begin;
    if (word == "cc_on") return Drop(begin, name + 1);
    if (word == "if" || word == "elif") return Condition(i, name, word == "if");
    if (word == "else" || word == "end") {
      if (branches_.empty()) return Fail(begin, "This @" + std::string(word) + " has no @if.");
      Branch& branch = branches_.back();
      if (word == "else") {
        SetActive(begin, branch.outerActive && !branch.taken);
        branch.taken = true;
      } else {
        SetActive(begin, branch.outerActive);
        branches_.pop_back();
      }
      return Drop(begin, name + 1);
    }
    if (word == "set") return Set(i, name);
    // A variable in code: its value.
    if (active_) {
      const auto found = variables_.find(word);
      edits_.push_back({begin, tokens_[name].end,
                        ValueText(found != variables_.end() ? found->second : Value{})});
    }
    return name + 1;
  }

  // `@if (expr)` or `@elif (expr)`.
  std::optional<std::size_t> Condition(std::size_t i, std::size_t name, bool opens) {
    const std::size_t begin = tokens_[i].begin;
    const std::size_t close = MatchingParen(name + 1);
    if (close == 0) return Fail(begin, std::string(kUnreadable));
    if (!opens && branches_.empty()) return Fail(begin, "This @elif has no @if.");
    const bool outer = opens ? active_ : branches_.back().outerActive;
    Value value;
    const bool decides = outer && (opens || !branches_.back().taken);
    if (decides && !Expression(tokens_, name + 2, close, variables_).Evaluate(&value)) {
      return Fail(begin, std::string(kUnreadable));
    }
    if (opens) branches_.push_back(Branch{begin, outer, false});
    Branch& branch = branches_.back();
    const bool runs = decides && value.Truthy();
    SetActive(begin, runs);
    branch.taken = branch.taken || runs;
    return Drop(begin, close + 1);
  }

  // `@set @name = expr`: the expression ends where it cannot go on, at the
  // latest at the line's end (`@set @x = 1 @*/ f()` runs f).
  std::optional<std::size_t> Set(std::size_t i, std::size_t name) {
    const std::size_t begin = tokens_[i].begin;
    const std::size_t target = AtName(tokens_, name + 1);
    if (target == 0 || target + 1 >= tokens_.size() || !tokens_[target + 1].Is("=")) {
      return Fail(begin, std::string(kUnreadable));
    }
    std::size_t lineEnd = target + 2;
    while (lineEnd < tokens_.size() && tokens_[lineEnd].kind != TokenKind::kEnd &&
           (lineEnd == target + 2 || !tokens_[lineEnd].newlineBefore)) {
      ++lineEnd;
    }
    Expression expression(tokens_, target + 2, lineEnd, variables_);
    Value value;
    if (!expression.EvaluatePrefix(&value)) return Fail(begin, std::string(kUnreadable));
    if (active_) variables_[std::string(tokens_[target].text)] = value;
    return Drop(begin, expression.Position());
  }

  // Index of the `)` closing the `(` at open; 0 when there is none.
  std::size_t MatchingParen(std::size_t open) const {
    if (open >= tokens_.size() || !tokens_[open].Is("(")) return 0;
    int depth = 0;
    for (std::size_t k = open; k < tokens_.size() && tokens_[k].kind != TokenKind::kEnd; ++k) {
      if (tokens_[k].Is("(")) ++depth;
      if (tokens_[k].Is(")") && --depth == 0) return k;
    }
    return 0;
  }

  // Removes the directive text from begin up to token `next`.
  std::size_t Drop(std::size_t begin, std::size_t next) {
    blanks_.push_back({begin, tokens_[next - 1].end});
    return next;
  }

  // Code from an inactive stretch's start up to `at` is dropped.
  void SetActive(std::size_t at, bool active) {
    if (active_ && !active) inactiveFrom_ = at;
    if (!active_ && active) blanks_.push_back({inactiveFrom_, at});
    active_ = active;
  }

  std::optional<std::size_t> Fail(std::size_t at, std::string message) {
    error_ = ErrorAt(at, std::move(message));
    return std::nullopt;
  }

  static DialectError ErrorAt(std::size_t at, std::string message) {
    return DialectError{at, std::move(message)};
  }

  void ApplyEdits() {
    for (const auto& [begin, end] : blanks_) Blank(script_, begin, end);
    // Replacements from the back, so earlier offsets stay valid.
    for (auto edit = edits_.rbegin(); edit != edits_.rend(); ++edit) {
      script_.replace(edit->begin, edit->end - edit->begin, edit->text);
    }
  }

  struct Edit {
    std::size_t begin;
    std::size_t end;
    std::string text;
  };

  std::string& script_;
  const std::vector<Token> tokens_;
  std::map<std::string, Value, std::less<>> variables_;
  std::vector<Branch> branches_;
  std::vector<std::pair<std::size_t, std::size_t>> blanks_;
  std::vector<Edit> edits_;
  bool active_ = true;
  std::size_t inactiveFrom_ = 0;
  std::optional<DialectError> error_;
};

}  // namespace

std::optional<DialectError> ApplyConditionalCompilation(std::string& script) {
  if (script.find('@') == std::string::npos) return std::nullopt;
  std::string unwrapped = script;
  if (!UnwrapComments(unwrapped)) return std::nullopt;
  if (auto error = Evaluation(unwrapped).Run()) return error;
  script = std::move(unwrapped);
  return std::nullopt;
}

}  // namespace vant::host::pages::detail
