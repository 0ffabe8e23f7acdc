#include "host/ado/detail/pg_sql.h"

#include <cctype>

namespace vant::host::ado {
namespace {

bool IsTagChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

// The end (one past) of the quoted, commented or dollar-quoted run that
// starts at sql[i], or i when none starts there.
std::size_t SkipQuoted(std::string_view sql, std::size_t i) {
  const char c = sql[i];
  if (c == '\'' || c == '"') {
    for (std::size_t j = i + 1; j < sql.size(); ++j) {
      if (sql[j] != c) continue;
      if (j + 1 < sql.size() && sql[j + 1] == c) {
        ++j;
        continue;
      }
      return j + 1;
    }
    return sql.size();
  }
  if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
    const auto end = sql.find('\n', i);
    return end == std::string_view::npos ? sql.size() : end + 1;
  }
  if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
    const auto end = sql.find("*/", i + 2);
    return end == std::string_view::npos ? sql.size() : end + 2;
  }
  if (c == '$' && (i == 0 || !IsTagChar(sql[i - 1]))) {
    std::size_t j = i + 1;
    while (j < sql.size() && IsTagChar(sql[j]) &&
           std::isdigit(static_cast<unsigned char>(sql[i + 1])) == 0) {
      ++j;
    }
    if (j < sql.size() && sql[j] == '$') {
      const std::string_view tag = sql.substr(i, j - i + 1);
      const auto end = sql.find(tag, j + 1);
      return end == std::string_view::npos ? sql.size() : end + tag.size();
    }
  }
  return i;
}

bool Blank(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t skipped = SkipQuoted(text, i);
    if (skipped != i) {
      if (text[i] == '\'' || text[i] == '"' || text[i] == '$') return false;
      i = skipped;
      continue;
    }
    if (std::isspace(static_cast<unsigned char>(text[i])) == 0) return false;
    ++i;
  }
  return true;
}

}  // namespace

std::vector<std::string> SplitPgStatements(std::string_view sql) {
  std::vector<std::string> statements;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= sql.size();) {
    if (i == sql.size() || sql[i] == ';') {
      const std::string_view piece = sql.substr(start, i - start);
      if (!Blank(piece)) statements.emplace_back(piece);
      start = ++i;
      continue;
    }
    const std::size_t skipped = SkipQuoted(sql, i);
    i = skipped != i ? skipped : i + 1;
  }
  return statements;
}

std::string NumberPgPlaceholders(std::string_view sql, int* count) {
  std::string out;
  out.reserve(sql.size() + 8);
  *count = 0;
  for (std::size_t i = 0; i < sql.size();) {
    const std::size_t skipped = SkipQuoted(sql, i);
    if (skipped != i) {
      out.append(sql.substr(i, skipped - i));
      i = skipped;
      continue;
    }
    if (sql[i] == '?') {
      out += '$' + std::to_string(++*count);
    } else {
      out += sql[i];
    }
    ++i;
  }
  return out;
}

}  // namespace vant::host::ado
