// Path rules of saving: the unique-name rule, the target-folder check, and
// the check of a file name sent by a browser. Paths are in Windows syntax.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/automation/hresult.h"

namespace vant::form {

// `path` itself when no file (a folder does not count) exists there;
// otherwise the first free name of base(0)ext, base(1)ext, … where ext is
// the text from the last "." when that dot follows the last "\", and a lone
// "." otherwise (C:\up\a.txt -> C:\up\a(0).txt, C:\up\readme ->
// C:\up\readme(0).). The name found can be taken by another writer before
// it is used; savers move with fs::MoveNoReplace and try again on a clash.
std::u16string MakeUniquePath(std::u16string_view path);

// The numbered candidates behind MakeUniquePath: base(n)ext for `path`.
std::u16string NumberedPath(std::u16string_view path, std::uint64_t n);

// Checks that the folder of `path` (the text before its last "\") exists,
// creating it with every missing parent when `create` is true. Failures are
// reported directly (not through an error flag), so they show even after an
// earlier error, and return E_FAIL:
//   no "\" in path                       0x40020056 with path
//   create true, folder not made         0x40020057 with the folder
//   create false, folder missing         0x40020058 with the folder
HRESULT CheckTargetFolder(std::u16string_view path, bool create);

// The sent file name a save may append to a folder: `fileName` cut after its
// last "/" as well (it is already cut after its last "\").
std::u16string_view SentNameLeaf(std::u16string_view fileName);

// True when a leaf from SentNameLeaf may name a file inside the folder:
// not empty, not made only of dots and spaces ("." and ".." included), and
// free of NUL and other control characters (C0, DEL and C1).
bool IsSafeSentName(std::u16string_view leaf);

}  // namespace vant::form
