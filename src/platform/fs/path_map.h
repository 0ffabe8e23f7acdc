// Mapping between Windows path syntax, used by pages and messages, and host
// paths.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vant::fs {

// Maps an absolute Windows path to a UTF-8 host path through the drive
// table: "C:\srv\up\a.txt" -> "/srv/up/a.txt" with C: -> "/". The drive
// letter is case-insensitive; a rooted path without a letter ("\srv\up")
// uses drive C:; "\" and "/" both separate; repeated and trailing
// separators collapse. ".." segments are kept (see ContainsDotDotSegment).
// Returns nullopt for a relative or drive-relative path ("a.txt", "C:a"),
// a UNC or device path ("\\server\share", "\\?\C:\x"), an unmapped drive, a
// NUL character or an unpaired surrogate.
std::optional<std::string> ToHostPath(std::u16string_view windowsPath);

// Maps an absolute host path back to Windows syntax for messages and
// MapPath results: the mapped drive with the longest folder that contains
// the path wins ("/srv/site/up" -> "C:\srv\site\up" with C: -> "/", or
// "D:\up" when D: -> "/srv/site" too). Ties go to the earlier letter.
// Returns nullopt for a relative path or one that no drive contains.
std::optional<std::u16string> ToWindowsPath(std::string_view hostPath);

// True when a segment of `path` (split at "\" and "/") is exactly "..", the
// test for callers that must keep a path inside a folder.
bool ContainsDotDotSegment(std::u16string_view path);

}  // namespace vant::fs
