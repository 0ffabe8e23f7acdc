#include "form/save_paths.h"

#include <string>

#include "frame/error_report.h"
#include "platform/fs/file_info.h"

namespace vant::form {
namespace {

constexpr char16_t kBackslash = u'\\';
constexpr char16_t kSlash = u'/';
constexpr char16_t kDot = u'.';
constexpr char16_t kFirstPrintable = 0x20;
constexpr char16_t kDelete = 0x7F;
constexpr char16_t kLastC1Control = 0x9F;

// Where the "(n)" goes: before the extension when the last "." follows the
// last "\", else at the end with a lone "." as the extension.
struct UniqueSplit {
  std::u16string_view base;
  std::u16string_view extension;
};

UniqueSplit SplitForNumber(std::u16string_view path) {
  const std::size_t dot = path.rfind(kDot);
  const std::size_t backslash = path.rfind(kBackslash);
  if (dot == std::u16string_view::npos || backslash == std::u16string_view::npos ||
      dot < backslash) {
    return {path, u"."};
  }
  return {path.substr(0, dot), path.substr(dot)};
}

// "C:" alone names the drive's root folder here, not a current folder.
bool IsDriveOnly(std::u16string_view folder) { return folder.size() == 2 && folder[1] == u':'; }

}  // namespace

std::u16string NumberedPath(std::u16string_view path, std::uint64_t n) {
  const UniqueSplit split = SplitForNumber(path);
  std::u16string out(split.base);
  out += u'(';
  for (const char c : std::to_string(n)) out += static_cast<char16_t>(c);
  out += u')';
  out += split.extension;
  return out;
}

std::u16string MakeUniquePath(std::u16string_view path) {
  std::u16string candidate(path);
  for (std::uint64_t n = 0; fs::FileExists(candidate); ++n) candidate = NumberedPath(path, n);
  return candidate;
}

HRESULT CheckTargetFolder(std::u16string_view path, bool create) {
  const std::size_t backslash = path.rfind(kBackslash);
  if (backslash == std::u16string_view::npos) {
    return frame::ReportComponentError(frame::MessageId::kTargetPathNoBackslash, {path});
  }
  const std::u16string_view folder = path.substr(0, backslash);
  if (fs::FolderExists(IsDriveOnly(folder) ? std::u16string(path.substr(0, backslash + 1))
                                           : std::u16string(folder))) {
    return S_OK;
  }
  if (!create) return frame::ReportComponentError(frame::MessageId::kTargetFolderMissing, {folder});
  if (!fs::CreateFolderTree(folder).ok()) {
    return frame::ReportComponentError(frame::MessageId::kTargetFolderNotCreated, {folder});
  }
  return S_OK;
}

std::u16string_view SentNameLeaf(std::u16string_view fileName) {
  const std::size_t slash = fileName.rfind(kSlash);
  return slash == std::u16string_view::npos ? fileName : fileName.substr(slash + 1);
}

bool IsSafeSentName(std::u16string_view leaf) {
  // Windows drops trailing dots and spaces, so such a name means no name at all.
  if (leaf.find_first_not_of(u". ") == std::u16string_view::npos) return false;
  for (const char16_t c : leaf) {
    // C0 controls, DEL and the C1 controls (U+0080..U+009F) are all refused.
    if (c < kFirstPrintable || (c >= kDelete && c <= kLastC1Control)) return false;
    if (c == kBackslash || c == kSlash) return false;
  }
  return true;
}

}  // namespace vant::form
