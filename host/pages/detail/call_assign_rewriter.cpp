#include "host/pages/detail/call_assign_rewriter.h"

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

#include "host/pages/call_result_helpers.h"
#include "host/pages/detail/js_lexer.h"
#include "host/pages/detail/line_breaks.h"

namespace vant::host::pages::detail {
namespace {

// Rewrites nested deeper than this are left as written (the engine then
// reports the assignment); it bounds recursion on hostile page source.
constexpr int kMaxNesting = 200;

constexpr std::array<std::string_view, 13> kAssignOperators = {
    "=", "+=", "-=", "*=", "/=", "%=", "**=", "<<=", ">>=", ">>>=", "&=", "|=", "^="};

bool IsAssignOperator(const Token& token) {
  if (token.kind != TokenKind::kPunctuator) return false;
  for (const auto& op : kAssignOperators) {
    if (token.text == op) return true;
  }
  return false;
}

bool IsIncrement(const Token& token) { return token.Is("++") || token.Is("--"); }

// A token after which a line break ends the expression (automatic
// semicolon insertion): it cannot continue the expression before it.
bool StartsStatement(const Token& token) {
  switch (token.kind) {
    case TokenKind::kIdentifier:
    case TokenKind::kNumber:
    case TokenKind::kString:
    case TokenKind::kRegex:
      return true;
    case TokenKind::kKeyword:
      return token.text != "in" && token.text != "instanceof";
    case TokenKind::kPunctuator:
      return IsIncrement(token) || token.Is("{") || token.Is("!") || token.Is("~");
    default:
      return false;
  }
}

// A member expression that ends in a call: `begin … callOpen (args) close`.
// The member being called decides the helper's target and member arguments.
struct Chain {
  enum class Member { kDefault, kDot, kIndex };
  std::size_t begin = 0;
  std::size_t end = 0;  // one past the closing parenthesis
  std::size_t callOpen = kNoMatch;
  Member member = Member::kDefault;
  std::size_t memberAt = kNoMatch;  // the `.` or `[` before the call
};

class Rewriter {
 public:
  explicit Rewriter(std::string_view code)
      : code_(code), tokens_(Tokenize(code)), match_(MatchBrackets(tokens_)) {}

  std::string Run() {
    Range(0, tokens_.size() - 1);  // the last token is kEnd
    Copy(code_.size());
    return std::move(out_);
  }

 private:
  void Range(std::size_t begin, std::size_t end);
  std::size_t TryRewriteAt(std::size_t at, std::size_t end);
  bool IsChainStart(std::size_t at) const;
  std::optional<Chain> ParseCallChain(std::size_t begin, std::size_t end) const;
  std::size_t ValueEnd(std::size_t begin, std::size_t end) const;
  void EmitTargetAndArgs(const Chain& chain);
  void Copy(std::size_t offset);
  void Insert(std::size_t offset, std::string_view text);
  void Replace(std::size_t from, std::size_t to, std::string_view text);

  std::size_t Close(const Chain& chain) const { return match_[chain.callOpen]; }
  std::size_t Begin(std::size_t token) const { return tokens_[token].begin; }
  std::size_t End(std::size_t token) const { return tokens_[token].end; }

  std::string_view code_;
  std::vector<Token> tokens_;
  std::vector<std::size_t> match_;
  std::string out_;
  std::size_t cursor_ = 0;  // code_ is copied to out_ up to here
  int depth_ = 0;
};

// Finds and rewrites every site among tokens [begin, end); the text between
// sites is copied later, when the cursor passes it.
void Rewriter::Range(std::size_t begin, std::size_t end) {
  if (depth_ >= kMaxNesting) return;
  ++depth_;
  for (std::size_t i = begin; i < end;) {
    const std::size_t next = TryRewriteAt(i, end);
    i = next != kNoMatch ? next : i + 1;
  }
  --depth_;
}

// Rewrites the site starting at token `at`, if there is one, and returns
// the index of the first token after it; kNoMatch when there is no site.
std::size_t Rewriter::TryRewriteAt(std::size_t at, std::size_t end) {
  const Token& token = tokens_[at];
  if (IsIncrement(token) && !token.endsExpression && at + 1 < end && IsChainStart(at + 1)) {
    const auto chain = ParseCallChain(at + 1, end);
    if (!chain) return kNoMatch;
    Replace(Begin(at), Begin(chain->begin), std::string(kUpdateHelper) + "(");
    EmitTargetAndArgs(*chain);
    Replace(Begin(Close(*chain)), End(Close(*chain)),
            token.Is("++") ? "], \"++x\")" : "], \"--x\")");
    return chain->end;
  }
  if (!IsChainStart(at)) return kNoMatch;
  const auto chain = ParseCallChain(at, end);
  if (!chain || chain->end >= end) return kNoMatch;
  const std::size_t op = chain->end;
  const Token& opToken = tokens_[op];
  if (IsIncrement(opToken) && opToken.endsExpression) {  // postfix, same line
    Insert(Begin(at), std::string(kUpdateHelper) + "(");
    EmitTargetAndArgs(*chain);
    Replace(Begin(Close(*chain)), End(op), opToken.Is("++") ? "], \"x++\")" : "], \"x--\")");
    return op + 1;
  }
  if (!IsAssignOperator(opToken)) return kNoMatch;
  const std::size_t valueEnd = ValueEnd(op + 1, end);
  if (valueEnd == op + 1) return kNoMatch;  // `f(x) =` alone: leave the syntax error to the engine
  const bool plain = opToken.text == "=";
  Insert(Begin(at), std::string(plain ? kPutHelper : kUpdateHelper) + "(");
  EmitTargetAndArgs(*chain);
  Replace(Begin(Close(*chain)), End(op),
          plain ? std::string("],") : "], \"" + std::string(opToken.text) + "\",");
  Range(op + 1, valueEnd);
  Insert(End(valueEnd - 1), ")");
  return valueEnd;
}

// A name (not a member name, not a constructor) or a parenthesised
// expression that is not a statement head nor the arguments of a call.
bool Rewriter::IsChainStart(std::size_t at) const {
  const Token& token = tokens_[at];
  const Token* previous = at > 0 ? &tokens_[at - 1] : nullptr;
  if (previous != nullptr && (previous->Is(".") || previous->IsKeyword("new"))) return false;
  if (token.kind == TokenKind::kIdentifier || token.IsKeyword("this")) return true;
  if (!token.Is("(") || token.opensHead) return false;
  return previous == nullptr || !previous->endsExpression;
}

// Follows `.name`, `[key]` and `(args)` links from the primary at begin;
// returns the chain when its last link is a call.
std::optional<Chain> Rewriter::ParseCallChain(std::size_t begin, std::size_t end) const {
  std::size_t k = begin + 1;
  if (tokens_[begin].Is("(")) {
    if (match_[begin] == kNoMatch || match_[begin] >= end) return std::nullopt;
    k = match_[begin] + 1;
  }
  Chain chain;
  chain.begin = begin;
  std::size_t previousLink = kNoMatch;
  std::size_t lastLink = kNoMatch;
  while (k < end) {
    const Token& t = tokens_[k];
    std::size_t next = kNoMatch;
    if (t.Is(".") && k + 1 < end && IsName(tokens_[k + 1])) {
      next = k + 2;
    } else if ((t.Is("[") || t.Is("(")) && match_[k] != kNoMatch && match_[k] < end) {
      next = match_[k] + 1;
    }
    if (next == kNoMatch) break;
    previousLink = lastLink;
    lastLink = k;
    k = next;
  }
  if (lastLink == kNoMatch || !tokens_[lastLink].Is("(")) return std::nullopt;
  chain.end = k;
  chain.callOpen = lastLink;
  if (previousLink != kNoMatch && tokens_[previousLink].Is(".")) {
    chain.member = Chain::Member::kDot;
    chain.memberAt = previousLink;
  } else if (previousLink != kNoMatch && tokens_[previousLink].Is("[")) {
    chain.member = Chain::Member::kIndex;
    chain.memberAt = previousLink;
  }
  return chain;
}

// The end of the assigned value starting at begin: the first `,` `;` `)`
// `]` `}` or unpaired `:` outside brackets, or a line break where the script
// engine would insert a semicolon.
std::size_t Rewriter::ValueEnd(std::size_t begin, std::size_t end) const {
  int pendingConditionals = 0;
  for (std::size_t k = begin; k < end;) {
    const Token& t = tokens_[k];
    const Token& previous = tokens_[k - 1];
    if (k > begin && t.newlineBefore && (previous.endsExpression || previous.Is("}")) &&
        StartsStatement(t)) {
      return k;
    }
    if (t.Is("(") || t.Is("[") || t.Is("{")) {
      if (match_[k] == kNoMatch || match_[k] >= end) return end;
      k = match_[k] + 1;
      continue;
    }
    if (t.Is(")") || t.Is("]") || t.Is("}") || t.Is(",") || t.Is(";")) return k;
    if (t.Is("?")) ++pendingConditionals;
    if (t.Is(":") && pendingConditionals-- == 0) return k;
    ++k;
  }
  return end;
}

// Emits `target, member, [args` for the chain, rewriting inside each part.
void Rewriter::EmitTargetAndArgs(const Chain& chain) {
  switch (chain.member) {
    case Chain::Member::kDefault:
      Range(chain.begin, chain.callOpen);
      Replace(Begin(chain.callOpen), End(chain.callOpen), ", null, [");
      break;
    case Chain::Member::kDot: {
      Range(chain.begin, chain.memberAt);
      const std::string name(tokens_[chain.memberAt + 1].text);
      Replace(Begin(chain.memberAt), End(chain.callOpen), ", \"" + name + "\", [");
      break;
    }
    case Chain::Member::kIndex: {
      const std::size_t close = match_[chain.memberAt];
      Range(chain.begin, chain.memberAt);
      Replace(Begin(chain.memberAt), End(chain.memberAt), ", ");
      Range(chain.memberAt + 1, close);
      Replace(Begin(close), End(chain.callOpen), ", [");
      break;
    }
  }
  Range(chain.callOpen + 1, Close(chain));
}

void Rewriter::Copy(std::size_t offset) {
  if (offset <= cursor_) return;
  out_.append(code_.substr(cursor_, offset - cursor_));
  cursor_ = offset;
}

void Rewriter::Insert(std::size_t offset, std::string_view text) {
  Copy(offset);
  out_.append(text);
}

// Replaces code_[from, to) with text, keeping the line breaks it held.
void Rewriter::Replace(std::size_t from, std::size_t to, std::string_view text) {
  Copy(from);
  out_.append(text);
  out_.append(static_cast<std::size_t>(CountLineBreaks(code_.substr(from, to - from))), '\n');
  cursor_ = to;
}

}  // namespace

std::string RewriteCallAssignments(std::string_view code) { return Rewriter(code).Run(); }

}  // namespace vant::host::pages::detail
