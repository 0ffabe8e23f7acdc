#include "host/pages/detail/script_emitter.h"

#include "host/pages/detail/call_assign_rewriter.h"
#include "host/pages/detail/js_lexer.h"
#include "host/pages/detail/js_string.h"
#include "host/pages/detail/line_breaks.h"
#include "host/pages/detail/member_call_rewriter.h"

namespace vant::host::pages::detail {
namespace {

struct CodeTail {
  bool hasTokens = false;       // anything but blanks and comments
  bool needsSemicolon = false;  // the code may end a statement here
};

bool EndsStatement(const Token& token) {
  return token.endsExpression || token.IsKeyword("return") || token.IsKeyword("break") ||
         token.IsKeyword("continue") || token.IsKeyword("debugger");
}

// The comment without its opener (`//`, `<!--` or `-->`).
std::string_view CommentBody(std::string_view comment) {
  return comment.substr(comment.starts_with("//") ? 2 : comment.starts_with("<!--") ? 4 : 3);
}

// Code runs straight into what follows it on the same line, so a line
// comment at its very end would swallow the next write: it becomes a block
// comment (keeping the line count).
CodeTail FinishCode(std::string& code) {
  const std::vector<Token> tokens = TokenizeWithComments(code);
  CodeTail tail;
  for (const Token& t : tokens) {
    if (t.kind == TokenKind::kEnd || t.kind == TokenKind::kLineComment ||
        t.kind == TokenKind::kBlockComment) {
      continue;
    }
    tail.hasTokens = true;
    tail.needsSemicolon = EndsStatement(t);
  }
  if (tokens.size() < 2) return tail;
  const Token& last = tokens[tokens.size() - 2];
  if (last.kind != TokenKind::kLineComment || CountLineBreaks(code.substr(last.end)) != 0) {
    return tail;
  }
  std::string finished = code.substr(0, last.begin) + "/*";
  const std::string_view body = CommentBody(last.text);
  for (std::size_t i = 0; i < body.size(); ++i) {
    finished += body[i];
    if (body[i] == '*' && i + 1 < body.size() && body[i + 1] == '/') finished += ' ';
  }
  finished += "*/";
  finished += std::string_view(code).substr(last.end);
  code = std::move(finished);
  return tail;
}

// `<%= x; %>` writes x: trailing semicolons cannot sit inside the call.
void DropTrailingSemicolons(std::string& expression) {
  for (;;) {
    const std::vector<Token> tokens = Tokenize(expression);
    if (tokens.size() < 2 || !tokens[tokens.size() - 2].Is(";")) return;
    expression[tokens[tokens.size() - 2].begin] = ' ';  // a blank keeps CR and LF apart
  }
}

// Page code as the engine runs it: assignments to call results and the
// member calls that must be read whole become helper calls.
std::string RewriteCode(std::string_view code) {
  return RewriteMemberCalls(RewriteCallAssignments(code));
}

int LineOf(std::string_view text, std::size_t offset) {
  return 1 + CountLineBreaks(text.substr(0, offset));
}

}  // namespace

void ScriptEmitter::Text(const Chunk& chunk) {
  if (chunk.bodyBegin == chunk.bodyEnd) return;
  Separate();
  std::string write = std::string(kWriteCall) + "(\"";
  AppendStringBody(write, Body(chunk));
  Append(write + "\");");
}

void ScriptEmitter::Code(const Chunk& chunk) {
  std::string code = RewriteCode(Body(chunk));
  const CodeTail tail = FinishCode(code);
  if (!tail.hasTokens) {
    Append(code);  // comments and blanks: keep the lines, nothing to separate
    return;
  }
  Separate();
  Append(code);
  afterCode_ = true;
  needsSemicolon_ = tail.needsSemicolon;
}

void ScriptEmitter::Expression(const Chunk& chunk) {
  std::string expression = RewriteCode(Body(chunk));
  DropTrailingSemicolons(expression);
  FinishCode(expression);
  Separate();
  Append(std::string(kWriteCall) + "(" + expression + ");");
}

void ScriptEmitter::Omit(const Chunk& chunk) {
  const int breaks = CountLineBreaks(page_.substr(chunk.begin, chunk.end - chunk.begin));
  Append(std::string(static_cast<std::size_t>(breaks), '\n'));
}

void ScriptEmitter::ServerScript(const Chunk& chunk) {
  EndPagePart();
  const std::string code = RewriteCode(Body(chunk));
  int line = LineOf(page_, chunk.bodyBegin);
  // A fresh line, and a `;` so the code cannot continue the line before.
  Append("\n;");
  out_.pageLines.push_back(line);
  for (int i = CountLineBreaks(code); i > 0; --i) out_.pageLines.push_back(++line);
  Append(code);
}

EmittedScript ScriptEmitter::Finish() {
  EndPagePart();
  return std::move(out_);
}

// Keeps code from running into the write or code that follows it.
void ScriptEmitter::Separate() {
  if (!afterCode_) return;
  Append(needsSemicolon_ ? ";" : " ");
  afterCode_ = false;
  needsSemicolon_ = false;
}

// Appends text so that a CR ending one piece and a LF starting the next
// stay two line breaks, as they were in the page, not one CR LF.
void ScriptEmitter::Append(std::string_view text) {
  if (!text.empty() && text.front() == '\n' && !out_.script.empty() && out_.script.back() == '\r') {
    out_.script += ' ';
  }
  out_.script.append(text);
}

// The page part maps script line n to page line n.
void ScriptEmitter::EndPagePart() {
  if (pagePartDone_) return;
  pagePartDone_ = true;
  const int lines = CountLineBreaks(out_.script) + 1;
  for (int line = 1; line <= lines; ++line) out_.pageLines.push_back(line);
}

}  // namespace vant::host::pages::detail
