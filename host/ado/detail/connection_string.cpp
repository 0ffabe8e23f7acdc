#include "host/ado/detail/connection_string.h"

#include <array>
#include <filesystem>
#include <system_error>

#include "platform/automation/bstr.h"
#include "platform/fs/path_map.h"

namespace vant::host::ado {
namespace {

constexpr std::u16string_view kMemoryDatabase = u":memory:";
constexpr std::array<std::u16string_view, 4> kFileKeys = {u"data source", u"datasource",
                                                          u"database", u"filename"};

std::u16string_view Trim(std::u16string_view text) {
  const auto first = text.find_first_not_of(u" \t\r\n");
  if (first == std::u16string_view::npos) return {};
  const auto last = text.find_last_not_of(u" \t\r\n");
  return text.substr(first, last - first + 1);
}

std::u16string Lower(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return out;
}

// Reads a quoted value starting at text[pos] (the quote); pos ends after the
// closing quote. A doubled quote stands for one.
std::u16string ReadQuoted(std::u16string_view text, std::size_t& pos) {
  const char16_t quote = text[pos++];
  std::u16string value;
  while (pos < text.size()) {
    const char16_t c = text[pos++];
    if (c != quote) {
      value += c;
      continue;
    }
    if (pos < text.size() && text[pos] == quote) {
      value += quote;
      ++pos;
      continue;
    }
    break;
  }
  return value;
}

// Reads an ODBC braced value starting at text[pos] ('{'); pos ends after
// the closing '}'. A doubled '}' stands for one. The braces stay in the
// value when they are not closed.
std::optional<std::u16string> ReadBraced(std::u16string_view text, std::size_t& pos) {
  std::u16string value;
  for (std::size_t at = pos + 1; at < text.size(); ++at) {
    if (text[at] != u'}') {
      value += text[at];
      continue;
    }
    if (at + 1 < text.size() && text[at + 1] == u'}') {
      value += u'}';
      ++at;
      continue;
    }
    pos = at + 1;
    return value;
  }
  return std::nullopt;
}

// Reads one value from pos to the next ';' (outside quotes and braces).
std::u16string ReadValue(std::u16string_view text, std::size_t& pos) {
  while (pos < text.size() && (text[pos] == u' ' || text[pos] == u'\t')) ++pos;
  std::optional<std::u16string> braced;
  if (pos < text.size() && text[pos] == u'{') braced = ReadBraced(text, pos);
  if (braced || (pos < text.size() && (text[pos] == u'"' || text[pos] == u'\''))) {
    std::u16string value = braced ? std::move(*braced) : ReadQuoted(text, pos);
    const auto end = text.find(u';', pos);
    pos = end == std::u16string_view::npos ? text.size() : end + 1;
    return value;
  }
  const auto end = text.find(u';', pos);
  const std::size_t stop = end == std::u16string_view::npos ? text.size() : end;
  std::u16string value(Trim(text.substr(pos, stop - pos)));
  pos = stop == text.size() ? stop : stop + 1;
  return value;
}

bool IsWindowsPath(std::u16string_view path) {
  const bool drive = path.size() >= 2 && path[1] == u':';
  return drive || (!path.empty() && path[0] == u'\\');
}

// "/srv/data/site.db" is a host path when there is no page host to ask, or
// when the file or its folder exists; "/data/site.db" under a site is not.
bool IsHostPath(std::u16string_view path, const MapPathHook& mapPath) {
  if (path.empty() || path[0] != u'/' || path.find(u'\\') != std::u16string_view::npos)
    return false;
  if (!mapPath) return true;
  std::error_code ignored;
  const std::filesystem::path host(Utf16ToUtf8(path));
  return std::filesystem::exists(host, ignored) ||
         std::filesystem::is_directory(host.parent_path(), ignored);
}

}  // namespace

std::map<std::u16string, std::u16string> ParseConnectionString(std::u16string_view text) {
  std::map<std::u16string, std::u16string> pairs;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const auto eq = text.find(u'=', pos);
    const auto semi = text.find(u';', pos);
    if (eq == std::u16string_view::npos || (semi != std::u16string_view::npos && semi < eq)) {
      // A piece without '=' carries nothing; skip to the next pair.
      if (semi == std::u16string_view::npos) break;
      pos = semi + 1;
      continue;
    }
    const std::u16string key = Lower(Trim(text.substr(pos, eq - pos)));
    pos = eq + 1;
    std::u16string value = ReadValue(text, pos);
    if (!key.empty()) pairs[key] = std::move(value);
  }
  return pairs;
}

std::optional<std::string> ResolveDataSource(std::u16string_view connectionString,
                                             const MapPathHook& mapPath, std::u16string* error) {
  const auto pairs = ParseConnectionString(connectionString);
  std::u16string source;
  for (std::u16string_view key : kFileKeys) {
    if (auto it = pairs.find(std::u16string(key)); it != pairs.end() && !it->second.empty()) {
      source = it->second;
      break;
    }
  }
  if (source.empty()) {
    *error = u"The connection string names no database file (Data Source=...).";
    return std::nullopt;
  }
  if (source == kMemoryDatabase) return Utf16ToUtf8(source);
  if (IsHostPath(source, mapPath)) return Utf16ToUtf8(source);
  if (IsWindowsPath(source)) {
    if (auto host = fs::ToHostPath(source)) return host;
    *error = u"The database path does not map to a host path: " + source;
    return std::nullopt;
  }
  // A virtual path: the page host knows where the site lives.
  if (!mapPath) {
    *error = u"A virtual database path needs the page host: " + source;
    return std::nullopt;
  }
  const auto mapped = mapPath(source);
  if (!mapped) {
    *error = u"The virtual database path cannot be mapped: " + source;
    return std::nullopt;
  }
  if (auto host = fs::ToHostPath(*mapped)) return host;
  *error = u"The mapped database path does not map to a host path: " + *mapped;
  return std::nullopt;
}

}  // namespace vant::host::ado
