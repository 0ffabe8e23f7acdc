// The path text of the file-system objects: the name functions pages call
// (GetFileName, GetParentFolderName, BuildPath...), absolute paths against
// the page's folder, and the wildcards of DeleteFile and CopyFile. Pure text:
// nothing here touches the disk.
#pragma once

#include <string>
#include <string_view>

namespace vant::host::scripting {

// "C:\up\a.txt" -> "a.txt"; trailing separators are skipped ("C:\up\" ->
// "up"); "" for a drive or root alone ("C:", "C:\").
std::u16string_view FileNamePart(std::u16string_view path);

// FileNamePart without its last ".ext" ("a.tar.gz" -> "a.tar").
std::u16string_view BaseNamePart(std::u16string_view path);

// The text after the last "." of FileNamePart, "" without one.
std::u16string_view ExtensionPart(std::u16string_view path);

// The path before FileNamePart, its separators trimmed except a root's:
// "C:\up\a.txt" -> "C:\up", "C:\a" -> "C:\", "C:\" -> "", "a.txt" -> "".
std::u16string_view ParentPart(std::u16string_view path);

// "C:" of "C:\up", "\\server\share" of a UNC path, "" otherwise.
std::u16string_view DrivePart(std::u16string_view path);

// Joins with exactly one "\" between the parts, none after a bare drive
// ("C:" + "a" -> "C:a") or around an empty part.
std::u16string JoinPath(std::u16string_view path, std::u16string_view name);

// The absolute form of `path` against `currentFolder` (an absolute Windows
// path): relative paths are taken from the current folder, a rooted path
// ("\up") or a drive-relative one ("D:up") from the current drive or the
// named drive's root. "/" becomes "\", repeated separators and "." segments
// go, a trailing separator goes except a root's; ".." segments stay, for the
// file system to resolve as it does for every component.
std::u16string AbsolutePath(std::u16string_view path, std::u16string_view currentFolder);

// AbsolutePath keeping a trailing separator of `path`, which tells the copy
// and move calls that the target is a folder to put things into.
std::u16string AbsoluteTarget(std::u16string_view path, std::u16string_view currentFolder);

// True when `name` holds a wildcard ("*" or "?").
bool HasWildcard(std::u16string_view name);

// Matches `name` against `pattern` ("*" any run, "?" one character), ASCII
// letters in either case. Linear in practice: one backtrack point.
bool WildcardMatch(std::u16string_view pattern, std::u16string_view name);

}  // namespace vant::host::scripting
