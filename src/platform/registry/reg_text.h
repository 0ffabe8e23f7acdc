// The registry file format: the text form of a registry export, UTF-8.
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CLASSES_ROOT\VANT.FileUpload]
//   @="FileUpload Class"
//   "ThreadingModel"="Apartment"
//   "LangID"=dword:00000409
//
// Reading is lenient, because administrators edit the file by hand: a UTF-8
// byte order mark, CRLF line ends, blank lines, leading blanks, ';' comment
// lines, blanks around '=', and any case in names, "dword:" and its hex digits
// are accepted; a missing first line is accepted too. HKCR, HKLM, HKCU, HKU
// and HKCC are read as the long root names. Parents of a key are created with
// it. Deletion lines are honoured against what was read above them:
// "[-HKEY_...\Key]" removes that key and its sub keys, and "Name"=- removes a
// value. Values of other kinds (hex:, hex(2):, ..., with '\' line
// continuations) are kept as written and written back on one line. A line
// that cannot be understood (an unterminated string, a dword that is not 1-8
// hex digits, a value before any key) is skipped, and so is a key under an
// unknown root or with an invalid name together with its values, so the rest
// of the file still reads.
//
// Writing emits the first line, then each key in tree order after a blank
// line, its default value first and the other values in the order they were
// first set. Inside strings '\' and '"' are escaped with a backslash; dwords
// are eight lower-case hex digits; lines end with LF.
#pragma once

#include <string>
#include <string_view>

#include "platform/registry/tree.h"

namespace vant::registry {

inline constexpr std::string_view kRegFileHeader = "Windows Registry Editor Version 5.00";

// Reads registry file text into a tree. Never fails; see above for what is skipped.
Tree ParseRegText(std::string_view text);

// Writes the tree as registry file text. ERROR_INVALID_PARAMETER: the tree
// holds text with no UTF-8 form (the tree's own checks keep it from doing so).
long FormatRegText(const Tree& tree, std::string* out);

}  // namespace vant::registry
