#include "platform/fs/path_map.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
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

// ASCII without NUL: valid UTF-16 whose UTF-8 is the same characters.
// Four characters at a time, as every download and file call maps its path.
bool IsPlainAscii(std::u16string_view text) {
  constexpr std::uint64_t kLow = 0x0001000100010001ULL;
  constexpr std::uint64_t kHigh = 0x8000800080008000ULL;
  std::uint64_t bits = 0;
  std::uint64_t nul = 0;
  std::size_t i = 0;
  for (; i + 4 <= text.size(); i += 4) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, sizeof word);
    bits |= word;
    // Nonzero exactly when some lane of the word is zero.
    nul |= (word - kLow) & ~word & kHigh;
  }
  for (; i < text.size(); ++i) {
    bits |= text[i];
    nul |= text[i] == 0 ? 1 : 0;
  }
  return (bits & 0xFF80FF80FF80FF80ULL) == 0 && nul == 0;
}

// JoinSegments in UTF-8 appended to `out`, in one pass, for IsPlainAscii
// `rest` (nearly every path): separators become "/", and runs of them, a
// leading one and a trailing one are dropped.
void AppendAsciiSegments(std::string& out, std::u16string_view rest) {
  // A "/" goes before the first segment, so the result is at most one
  // longer than `rest`.
  const size_t base = out.size();
  out.resize(base + rest.size() + 1);
  char* const start = out.data() + base;
  char* p = start;
  *p++ = '/';
  for (const char16_t c : rest) {
    const bool separator = IsSeparator(c);
    if (separator && p[-1] == '/') continue;
    *p++ = separator ? '/' : static_cast<char>(c);
  }
  if (p[-1] == '/') --p;
  out.resize(base + static_cast<size_t>(p - start));
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

// The last path this thread mapped each way and its result, with the drive
// table's generation then: MapPath turns a site path into a drive path and
// the file call that follows turns it back, for the same few paths page
// after page, so a repeat costs a compare and a copy, not a mapping.
template <class From, class To>
struct LastMapping {
  std::uint64_t generation = 0;  // 0: nothing remembered
  From from;
  To to;

  const To* Find(std::uint64_t current, typename From::const_pointer text, std::size_t n) const {
    if (generation != current || from.size() != n) return nullptr;
    return std::equal(from.begin(), from.end(), text) ? &to : nullptr;
  }
  void Remember(std::uint64_t current, typename From::const_pointer text, std::size_t n,
                const To& result) {
    from.assign(text, n);
    to = result;
    generation = current;
  }
};

thread_local LastMapping<std::u16string, std::optional<std::string>> lastHostPath;
thread_local LastMapping<std::string, std::optional<std::u16string>> lastWindowsPath;

std::optional<std::string> MapToHost(std::u16string_view windowsPath);
std::optional<std::u16string> MapToWindows(std::string_view hostPath);

}  // namespace

// The generation is read before mapping: a change during the mapping
// leaves a result remembered under the older one, which the next call
// does not trust.
std::optional<std::string> ToHostPath(std::u16string_view windowsPath) {
  const std::uint64_t generation = DriveGeneration();
  if (const auto* known = lastHostPath.Find(generation, windowsPath.data(), windowsPath.size())) {
    return *known;
  }
  std::optional<std::string> mapped = MapToHost(windowsPath);
  lastHostPath.Remember(generation, windowsPath.data(), windowsPath.size(), mapped);
  return mapped;
}

std::optional<std::u16string> ToWindowsPath(std::string_view hostPath) {
  const std::uint64_t generation = DriveGeneration();
  if (const auto* known = lastWindowsPath.Find(generation, hostPath.data(), hostPath.size())) {
    return *known;
  }
  std::optional<std::u16string> mapped = MapToWindows(hostPath);
  lastWindowsPath.Remember(generation, hostPath.data(), hostPath.size(), mapped);
  return mapped;
}

namespace {

std::optional<std::string> MapToHost(std::u16string_view windowsPath) {
  const bool ascii = IsPlainAscii(windowsPath);
  if (!ascii && windowsPath.find(u'\0') != std::u16string_view::npos) return std::nullopt;
  if (!ascii && !sys::IsValidUtf16(windowsPath)) return std::nullopt;
  const auto root = SplitRoot(windowsPath);
  if (!root) return std::nullopt;
  auto folder = DriveFolder(root->first);
  if (!folder) return std::nullopt;
  std::string out = *folder == "/" ? std::string() : *folder;
  const std::size_t base = out.size();
  if (ascii) {
    AppendAsciiSegments(out, root->second);
  } else {
    out += sys::Utf16ToUtf8(JoinSegments(root->second));
  }
  if (out.size() == base) return folder;
  return out;
}

std::optional<std::u16string> MapToWindows(std::string_view hostPath) {
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

}  // namespace

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
