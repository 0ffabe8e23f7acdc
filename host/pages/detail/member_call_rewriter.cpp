#include "host/pages/detail/member_call_rewriter.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "host/pages/call_result_helpers.h"
#include "host/pages/detail/js_lexer.h"
#include "host/pages/detail/line_breaks.h"
#include "platform/sys/ascii.h"

namespace vant::host::pages::detail {
namespace {

// Members read with optional arguments: a call must reach them with its
// arguments, a plain read without. The request collections are read the
// same way: `Request.QueryString("d")` is one read with the argument
// instead of the collection's object made for a call straight after.
constexpr std::string_view kOptionalArgMembers[] = {"item", "charset", "querystring",
                                                    "form", "cookies", "servervariables"};

bool TakesOptionalArgs(std::string_view name) {
  return std::any_of(std::begin(kOptionalArgMembers), std::end(kOptionalArgMembers),
                     [&](std::string_view member) { return sys::EqualsNoCase(name, member); });
}

// A piece of the output: code_[begin, end) is replaced by text (an insert
// when begin == end).
struct Edit {
  std::size_t begin;
  std::size_t end;
  std::string text;
};

class Rewriter {
 public:
  explicit Rewriter(std::string_view code)
      : code_(code),
        tokens_(Tokenize(code)),
        match_(MatchBrackets(tokens_)),
        start_(tokens_.size(), kUnknown) {}

  std::string Run();

 private:
  static constexpr std::size_t kUnknown = kNoMatch - 1;

  bool Qualifies(std::size_t dot) const;
  std::size_t TargetStart(std::size_t last);
  std::size_t WalkBack(std::size_t p, std::vector<std::size_t>& visited) const;

  std::string_view code_;
  std::vector<Token> tokens_;
  std::vector<std::size_t> match_;
  std::vector<std::size_t> start_;  // memo: first token of the expression ending at i
  std::vector<Edit> edits_;
};

// `. name (` where the call is one the engine needs to see whole.
bool Rewriter::Qualifies(std::size_t dot) const {
  if (dot + 2 >= tokens_.size() || !tokens_[dot].Is(".") || !IsName(tokens_[dot + 1])) return false;
  const std::size_t open = dot + 2;
  if (!tokens_[open].Is("(") || match_[open] == kNoMatch) return false;
  const std::string_view name = tokens_[dot + 1].text;
  if (TakesOptionalArgs(name)) return true;
  return name.front() >= 'A' && name.front() <= 'Z' && match_[open] == open + 1;
}

// One step back over a member expression: from its last token to the first
// token of the link or primary it ends; kNoMatch where no primary can start.
std::size_t Rewriter::WalkBack(std::size_t p, std::vector<std::size_t>& visited) const {
  for (;;) {
    if (start_[p] != kUnknown) return start_[p];
    visited.push_back(p);
    const Token& t = tokens_[p];
    if (t.Is(")") || t.Is("]")) {
      const std::size_t open = match_[p];
      if (open == kNoMatch) return kNoMatch;
      // `a(…)` and `a[…]` are links; otherwise a parenthesised expression
      // or an array literal starts here.
      if (open == 0 || !tokens_[open - 1].endsExpression) return open;
      p = open - 1;
      continue;
    }
    if (IsName(t) && p >= 2 && tokens_[p - 1].Is(".")) {
      p -= 2;
      continue;
    }
    const bool primary = t.kind == TokenKind::kIdentifier || t.IsKeyword("this") ||
                         t.kind == TokenKind::kString || t.kind == TokenKind::kNumber;
    return primary ? p : kNoMatch;
  }
}

// The first token of the member expression whose last token is `last`.
std::size_t Rewriter::TargetStart(std::size_t last) {
  std::vector<std::size_t> visited;
  std::size_t start = WalkBack(last, visited);
  // `new a.B().Item()` would lose its `new`: left as written.
  if (start != kNoMatch && start > 0 && tokens_[start - 1].IsKeyword("new")) start = kNoMatch;
  for (const std::size_t p : visited) start_[p] = start;
  return start;
}

std::string Rewriter::Run() {
  const std::string helper = std::string(kCallHelper) + "(";
  for (std::size_t dot = 1; dot < tokens_.size(); ++dot) {
    if (!Qualifies(dot)) continue;
    const std::size_t start = TargetStart(dot - 1);
    if (start == kNoMatch) continue;
    const std::size_t open = dot + 2;
    const std::size_t close = match_[open];
    edits_.push_back({tokens_[start].begin, tokens_[start].begin, helper});
    // The arguments follow the name as the helper's own: no array is made
    // for them, and they are evaluated in the same order as before.
    edits_.push_back(
        {tokens_[dot].begin, tokens_[open].end,
         ", \"" + std::string(tokens_[dot + 1].text) + (close == open + 1 ? "\"" : "\", ")});
  }
  if (edits_.empty()) return std::string(code_);
  // Inserts first where an insert and a replacement share an offset.
  std::stable_sort(edits_.begin(), edits_.end(), [](const Edit& a, const Edit& b) {
    if (a.begin != b.begin) return a.begin < b.begin;
    return (a.begin == a.end) > (b.begin == b.end);
  });
  std::string out;
  out.reserve(code_.size() + edits_.size() * 8);
  std::size_t cursor = 0;
  for (const Edit& edit : edits_) {
    out.append(code_.substr(cursor, edit.begin - cursor));
    out.append(edit.text);
    const std::string_view replaced = code_.substr(edit.begin, edit.end - edit.begin);
    out.append(static_cast<std::size_t>(CountLineBreaks(replaced)), '\n');
    cursor = edit.end;
  }
  out.append(code_.substr(cursor));
  return out;
}

}  // namespace

std::string RewriteMemberCalls(std::string_view code) { return Rewriter(code).Run(); }

}  // namespace vant::host::pages::detail
