#include "host/ado/detail/sql_text.h"

#include <cctype>

#include "platform/sys/ascii.h"

namespace vant::host::ado {
namespace {

bool IsWordChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  return std::isalnum(u) != 0 || c == '_' || c == '$' || u >= 0x80;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

// The end of a quoted run starting at sql[pos] (a doubled quote continues
// it), or npos when it is never closed.
std::size_t SkipQuoted(std::string_view sql, std::size_t pos) {
  const char close = sql[pos] == '[' ? ']' : sql[pos];
  for (std::size_t i = pos + 1; i < sql.size(); ++i) {
    if (sql[i] != close) continue;
    if (close != ']' && i + 1 < sql.size() && sql[i + 1] == close) {
      ++i;
      continue;
    }
    return i + 1;
  }
  return std::string_view::npos;
}

// The end of a comment starting at sql[pos], or pos when none starts there.
std::size_t SkipComment(std::string_view sql, std::size_t pos) {
  if (sql.compare(pos, 2, "--") == 0) {
    const auto end = sql.find('\n', pos);
    return end == std::string_view::npos ? sql.size() : end + 1;
  }
  if (sql.compare(pos, 2, "/*") == 0) {
    const auto end = sql.find("*/", pos + 2);
    return end == std::string_view::npos ? sql.size() : end + 2;
  }
  return pos;
}

std::size_t SkipBlanksAndComments(std::string_view sql, std::size_t pos) {
  for (;;) {
    while (pos < sql.size() && IsBlank(sql[pos])) ++pos;
    const std::size_t after = pos < sql.size() ? SkipComment(sql, pos) : pos;
    if (after == pos) return pos;
    pos = after;
  }
}

bool IsQuote(char c) { return c == '\'' || c == '"' || c == '`' || c == '['; }

}  // namespace

std::optional<std::string> TableNameOf(std::string_view source) {
  const std::size_t first = SkipBlanksAndComments(source, 0);
  std::size_t last = source.size();
  while (last > first && (IsBlank(source[last - 1]) || source[last - 1] == ';')) --last;
  const std::string_view text = source.substr(first, last - first);
  if (text.empty()) return std::nullopt;
  if (text[0] == '"' || text[0] == '[' || text[0] == '`') {
    if (SkipQuoted(text, 0) != text.size() || text.size() < 2) return std::nullopt;
    std::string name;
    const char quote = text[0] == '[' ? ']' : text[0];
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
      name += text[i];
      if (text[i] == quote && quote != ']') ++i;  // a doubled quote stands for one
    }
    return name;
  }
  for (char c : text) {
    if (!IsWordChar(c)) return std::nullopt;
  }
  return std::string(text);
}

std::string QuoteIdentifier(std::string_view name) {
  std::string quoted = "\"";
  for (char c : name) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + "\"";
}

std::optional<std::size_t> AfterLeadingKeyword(std::string_view sql, std::string_view word) {
  const std::size_t start = SkipBlanksAndComments(sql, 0);
  if (!sys::EqualsNoCase(sql.substr(start, word.size()), word)) return std::nullopt;
  const std::size_t end = start + word.size();
  if (end < sql.size() && IsWordChar(sql[end])) return std::nullopt;
  return end;
}

std::optional<std::size_t> FindTopLevelKeyword(std::string_view sql, std::string_view word) {
  int depth = 0;
  std::size_t pos = 0;
  while (pos < sql.size()) {
    const char c = sql[pos];
    if (const std::size_t after = SkipComment(sql, pos); after != pos) {
      pos = after;
    } else if (IsQuote(c)) {
      pos = SkipQuoted(sql, pos);
      if (pos == std::string_view::npos) return std::nullopt;
    } else if (c == '(' || c == ')') {
      depth += c == '(' ? 1 : -1;
      ++pos;
    } else if (IsWordChar(c)) {
      std::size_t end = pos;
      while (end < sql.size() && IsWordChar(sql[end])) ++end;
      if (depth == 0 && sys::EqualsNoCase(sql.substr(pos, end - pos), word)) return pos;
      pos = end;
    } else {
      ++pos;
    }
  }
  return std::nullopt;
}

}  // namespace vant::host::ado
