// The process-wide table that maps drive letters to host folders. It lives
// in the shared platform runtime, so the host and the component module use
// one table.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vant::fs {

// The drive that rooted paths without a letter use.
inline constexpr char kDefaultDrive = 'C';

// One mapping: an upper-case letter and an absolute host folder without a
// trailing slash ("/" for the root).
using DriveMapping = std::pair<char, std::string>;

// Maps drive `letter` (either case) to the absolute host folder `hostFolder`
// (trailing slashes are dropped), replacing an earlier mapping. Call at
// start-up, before other threads map paths. Returns false, changing nothing, when
// the letter is not A-Z or the folder is not absolute or holds a NUL.
bool SetDrive(char letter, std::string_view hostFolder);

// Parses one "X:=/folder" setting (the host's --drive option) and applies it
// with SetDrive. Returns false, changing nothing, when it is malformed.
bool SetDriveFromOption(std::string_view option);

// Removes every mapping and restores the default C: -> "/".
void ResetDrives();

// A number that changes whenever a mapping does (never 0): a path mapped
// under one generation maps the same way while it stays current.
std::uint64_t DriveGeneration();

// The host folder of drive `letter` (either case), or nullopt when the drive
// is not mapped.
std::optional<std::string> DriveFolder(char letter);

// Every mapping, ordered by letter.
std::vector<DriveMapping> Drives();

// The drive whose folder holds `path` (an absolute host path without
// repeated or trailing slashes), the longest such folder winning and ties
// going to the earlier letter: its letter and the length of its folder.
// nullopt when no drive holds the path. Reads the table in place, without
// the copy Drives() makes.
std::optional<std::pair<char, std::size_t>> DriveHolding(std::string_view path);

}  // namespace vant::fs
