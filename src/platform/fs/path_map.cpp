#include "platform/fs/path_map.h"

#include <algorithm>
#include <vector>

#include "platform/fs/drive_table.h"
#include "platform/sys/utf.h"

namespace vant::fs {
namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

bool IsAsciiLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

// Splits the path into the drive letter it names (the default drive for a
// rooted path without one) and the rest after the root separator. nullopt
// for relative, drive-relative, UNC and device paths.
std::optional<std::pair<char, std::u16string_view>> SplitRoot(std::u16string_view path) {
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) return std::nullopt;
  if (!path.empty() && IsSeparator(path[0])) return std::make_pair(kDefaultDrive, path.substr(1));
  if (path.size() < 3 || !IsAsciiLetter(path[0]) || path[1] != u':') return std::nullopt;
  if (!IsSeparator(path[2])) return std::nullopt;
  return std::make_pair(static_cast<char>(path[0]), path.substr(3));
}

// The non-empty segments of `rest`, joined with "/" and each led by one.
std::u16string JoinSegments(std::u16string_view rest) {
  std::u16string out;
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = start;
    while (end < rest.size() && !IsSeparator(rest[end])) ++end;
    if (end > start) {
      out += u'/';
      out += rest.substr(start, end - start);
    }
    start = end + 1;
  }
  return out;
}

// JoinSegments in UTF-8 appended to `out`, in one pass for ASCII `rest`
// (nearly every path); false, with `out` untouched, for any other text.
bool AppendAsciiSegments(std::string& out, std::u16string_view rest) {
  for (const char16_t c : rest) {
    if (c >= 0x80) return false;
  }
  // Each segment's "/" takes the place of the separator before it, so the
  // result is at most one longer than `rest`.
  size_t at = out.size();
  out.resize(at + rest.size() + 1);
  bool segmentStart = true;
  for (const char16_t c : rest) {
    if (IsSeparator(c)) {
      segmentStart = true;
      continue;
    }
    if (segmentStart) out[at++] = '/';
    segmentStart = false;
    out[at++] = static_cast<char>(c);
  }
  out.resize(at);
  return true;
}

// Drops repeated and trailing slashes of an absolute host path.
std::string CollapseSlashes(std::string_view path) {
  // Written through a pointer into room for the whole path, then cut:
  // appending byte by byte costs a capacity check per byte.
  std::string out(path.size(), '\0');
  char* end = out.data();
  for (const char c : path) {
    if (c == '/' && end != out.data() && end[-1] == '/') continue;
    *end++ = c;
  }
  if (end - out.data() > 1 && end[-1] == '/') --end;
  out.resize(static_cast<std::size_t>(end - out.data()));
  return out;
}

}  // namespace

std::optional<std::string> ToHostPath(std::u16string_view windowsPath) {
  if (windowsPath.find(u'\0') != std::u16string_view::npos) return std::nullopt;
  if (!sys::IsValidUtf16(windowsPath)) return std::nullopt;
  const auto root = SplitRoot(windowsPath);
  if (!root) return std::nullopt;
  auto folder = DriveFolder(root->first);
  if (!folder) return std::nullopt;
  std::string out = *folder == "/" ? std::string() : *folder;
  const std::size_t base = out.size();
  if (!AppendAsciiSegments(out, root->second)) {
    out += sys::Utf16ToUtf8(JoinSegments(root->second));
  }
  if (out.size() == base) return folder;
  return out;
}

std::optional<std::u16string> ToWindowsPath(std::string_view hostPath) {
  if (hostPath.empty() || hostPath.front() != '/') return std::nullopt;
  const std::string path = CollapseSlashes(hostPath);
  const auto drive = DriveHolding(path);
  if (!drive) return std::nullopt;
  // Only the root folder "/" is one byte long; it stays in the path.
  const std::string_view rest =
      std::string_view(path).substr(drive->second == 1 ? 0 : drive->second);
  std::u16string out{static_cast<char16_t>(drive->first), u':'};
  // ASCII (nearly every path) is widened in the same pass that turns the
  // separators; other text goes through the UTF-8 decoder first.
  const bool ascii = std::all_of(rest.begin(), rest.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii) {
    out.resize(2 + rest.size());
    char16_t* to = out.data() + 2;
    for (const char c : rest) *to++ = c == '/' ? u'\\' : static_cast<char16_t>(c);
  } else {
    out += sys::Utf8ToUtf16(rest);
    std::replace(out.begin(), out.end(), u'/', u'\\');
  }
  // The drive root itself ("/srv" for C: -> "/srv") still needs its "\".
  if (out.size() == 2) out += u'\\';
  return out;
}

bool ContainsDotDotSegment(std::u16string_view path) {
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    if (path.substr(start, end - start) == u"..") return true;
    start = end + 1;
  }
  return false;
}

}  // namespace vant::fs
