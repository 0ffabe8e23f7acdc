#include <string_view>
#include <vector>

#include "host/pages/detail/js_lexer.h"
#include "host/pages/detail/jscript_dialect.h"
#include "host/pages/detail/line_breaks.h"

namespace vant::host::pages::detail {
namespace {

// Roots that exist before any page code runs: an assignment to them can
// move to the script's start.
constexpr std::string_view kBuiltInRoots[] = {"Array", "Boolean", "Date",   "Error",  "Function",
                                              "Math",  "Number",  "Object", "RegExp", "String"};
constexpr std::string_view kGeneratedName = "__jscriptDeclared";

bool IsWordToken(const Token& token) {
  return token.kind == TokenKind::kIdentifier || token.kind == TokenKind::kKeyword;
}

bool IsBuiltInRoot(std::string_view name) {
  for (const std::string_view root : kBuiltInRoots) {
    if (root == name) return true;
  }
  return false;
}

// Where a statement may begin: a declaration may stand here.
bool AtStatementStart(const std::vector<Token>& tokens, std::size_t i) {
  if (i == 0) return true;
  const Token& previous = tokens[i - 1];
  // A line break ends a statement only after something that can end one.
  if (tokens[i].newlineBefore && previous.endsExpression) return true;
  return previous.Is(";") || previous.Is("{") || previous.Is("}");
}

struct Edit {
  std::size_t at;
  std::size_t length;  // of the text replaced
  std::string text;
};

}  // namespace

std::optional<DialectError> RewriteDottedFunctions(std::string& script) {
  if (script.find("function") == std::string::npos) return std::nullopt;
  const std::vector<Token> tokens = Tokenize(script);
  std::vector<Edit> edits;
  std::string hoisted;  // assignments for the script's start
  int depth = 0;
  int count = 0;
  for (std::size_t i = 0; i + 2 < tokens.size(); ++i) {
    if (tokens[i].Is("{")) ++depth;
    if (tokens[i].Is("}")) --depth;
    if (!tokens[i].IsKeyword("function") || tokens[i + 1].kind != TokenKind::kIdentifier ||
        !tokens[i + 2].Is(".")) {
      continue;
    }
    // The dotted name: identifier (. identifier)+ up to the parameters.
    std::string target(tokens[i + 1].text);
    std::size_t k = i + 2;
    while (k + 1 < tokens.size() && tokens[k].Is(".") && IsWordToken(tokens[k + 1])) {
      target += '.';
      target += tokens[k + 1].text;
      k += 2;
    }
    if (!tokens[k].Is("(")) continue;  // not a declaration the engine could mean either
    if (!AtStatementStart(tokens, i)) {
      return DialectError{tokens[i].begin,
                          "The JScript declaration 'function " + target +
                              "()' is supported only as a statement; assign a function "
                              "expression instead: " +
                              target + " = function () {...}."};
    }
    const std::string name = std::string(kGeneratedName) + std::to_string(count++);
    const std::string assignment = target + "=" + name + ";";
    if (depth == 0 && IsBuiltInRoot(tokens[i + 1].text)) {
      hoisted += assignment;
    } else {
      edits.push_back(Edit{tokens[i].begin, 0, assignment});
    }
    edits.push_back(Edit{tokens[i + 1].begin, tokens[k - 1].end - tokens[i + 1].begin, name});
  }
  // From the back, so earlier offsets stay valid. A name split over lines
  // (rarely) keeps its line breaks after the new name.
  for (auto edit = edits.rbegin(); edit != edits.rend(); ++edit) {
    std::string text = edit->text;
    for (std::size_t c = edit->at; c < edit->at + edit->length;) {
      const std::size_t length = LineBreakAt(script, c);
      if (length != 0) text += script.substr(c, length);
      c += length != 0 ? length : 1;
    }
    script.replace(edit->at, edit->length, text);
  }
  script.insert(0, hoisted);
  return std::nullopt;
}

}  // namespace vant::host::pages::detail
