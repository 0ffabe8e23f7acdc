#include "host/scripting/script_path.h"

#include "platform/sys/ascii.h"

namespace vant::host::scripting {
namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

bool IsLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

bool HasDrive(std::u16string_view path) {
  return path.size() >= 2 && IsLetter(path[0]) && path[1] == u':';
}

}  // namespace

std::u16string_view DrivePart(std::u16string_view path) {
  if (HasDrive(path)) return path.substr(0, 2);
  if (path.size() < 3 || !IsSeparator(path[0]) || !IsSeparator(path[1])) return {};
  // \\server\share: up to the separator after the share.
  std::size_t at = path.find_first_of(u"\\/", 2);
  if (at == std::u16string_view::npos) return path;
  at = path.find_first_of(u"\\/", at + 1);
  return at == std::u16string_view::npos ? path : path.substr(0, at);
}

std::u16string_view FileNamePart(std::u16string_view path) {
  const std::size_t start = DrivePart(path).size();
  std::size_t end = path.size();
  while (end > start && IsSeparator(path[end - 1])) --end;
  std::size_t begin = end;
  while (begin > start && !IsSeparator(path[begin - 1])) --begin;
  return path.substr(begin, end - begin);
}

std::u16string_view BaseNamePart(std::u16string_view path) {
  const std::u16string_view name = FileNamePart(path);
  const std::size_t dot = name.rfind(u'.');
  return dot == std::u16string_view::npos ? name : name.substr(0, dot);
}

std::u16string_view ExtensionPart(std::u16string_view path) {
  const std::u16string_view name = FileNamePart(path);
  const std::size_t dot = name.rfind(u'.');
  return dot == std::u16string_view::npos ? std::u16string_view{} : name.substr(dot + 1);
}

std::u16string_view ParentPart(std::u16string_view path) {
  const std::u16string_view name = FileNamePart(path);
  if (name.empty()) return {};
  const std::size_t drive = DrivePart(path).size();
  std::size_t end = static_cast<std::size_t>(name.data() - path.data());
  while (end > drive && IsSeparator(path[end - 1])) --end;
  // Keep the separator of a root: "C:\a" -> "C:\", "\a" -> "\".
  if (end == drive && end < path.size() && IsSeparator(path[end]) &&
      name.data() != path.data() + end) {
    ++end;
  }
  return path.substr(0, end);
}

std::u16string JoinPath(std::u16string_view path, std::u16string_view name) {
  if (path.empty()) return std::u16string(name);
  if (name.empty()) return std::u16string(path);
  std::u16string out(path);
  const bool bareDrive = path.size() == 2 && HasDrive(path);
  while (!name.empty() && IsSeparator(name.front()) && IsSeparator(out.back())) {
    name.remove_prefix(1);
  }
  if (!bareDrive && !IsSeparator(out.back()) && !IsSeparator(name.front())) out += u'\\';
  out += name;
  return out;
}

std::u16string AbsolutePath(std::u16string_view path, std::u16string_view currentFolder) {
  std::u16string full;
  if (HasDrive(path) && path.size() > 2 && IsSeparator(path[2])) {
    full = path;
  } else if (HasDrive(path)) {
    const bool sameDrive =
        HasDrive(currentFolder) && sys::AsciiLower(currentFolder[0]) == sys::AsciiLower(path[0]);
    full = (sameDrive ? std::u16string(currentFolder) : std::u16string(path.substr(0, 2)) + u"\\") +
           u"\\" + std::u16string(path.substr(2));
  } else if (!path.empty() && IsSeparator(path[0])) {
    // A UNC path stays as written; a rooted one takes the current drive.
    if (path.size() > 1 && IsSeparator(path[1])) return std::u16string(path);
    full = std::u16string(DrivePart(currentFolder)) + std::u16string(path);
  } else {
    full = std::u16string(currentFolder) + u"\\" + std::u16string(path);
  }
  // Rebuild from the segments after "X:".
  std::u16string out = full.substr(0, 2) + u"\\";
  std::size_t at = 2;
  while (at < full.size()) {
    const std::size_t next = full.find_first_of(u"\\/", at);
    const std::size_t end = next == std::u16string::npos ? full.size() : next;
    const std::u16string_view segment = std::u16string_view(full).substr(at, end - at);
    if (!segment.empty() && segment != u".") {
      if (out.back() != u'\\') out += u'\\';
      out += segment;
    }
    at = end + 1;
  }
  return out;
}

std::u16string AbsoluteTarget(std::u16string_view path, std::u16string_view currentFolder) {
  std::u16string out = AbsolutePath(path, currentFolder);
  if (!path.empty() && IsSeparator(path.back()) && out.back() != u'\\') out += u'\\';
  return out;
}

bool HasWildcard(std::u16string_view name) {
  return name.find_first_of(u"*?") != std::u16string_view::npos;
}

bool WildcardMatch(std::u16string_view pattern, std::u16string_view name) {
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t starAt = std::u16string_view::npos;
  std::size_t resumeAt = 0;
  while (n < name.size()) {
    if (p < pattern.size() &&
        (pattern[p] == u'?' || sys::AsciiLower(pattern[p]) == sys::AsciiLower(name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == u'*') {
      starAt = p++;
      resumeAt = n;
    } else if (starAt != std::u16string_view::npos) {
      p = starAt + 1;
      n = ++resumeAt;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

}  // namespace vant::host::scripting
