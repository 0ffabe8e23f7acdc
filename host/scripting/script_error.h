// The runtime errors the file-system objects raise: the scripting
// runtime's numbers and texts, which a page sees as e.number (0x800A0035 for
// "File not found") and e.description.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/automation/automation.h"
#include "platform/fs/status.h"

namespace vant::host::scripting {

inline constexpr std::u16string_view kFileSystemSource = u"Scripting.FileSystemObject";
inline constexpr std::u16string_view kTextStreamSource = u"Scripting.TextStream";

enum class RuntimeError : std::uint16_t {
  kInvalidCall = 5,   // an argument out of range
  kBadFileName = 52,  // a path that names nothing (NUL, UNC, unmapped drive)
  kFileNotFound = 53,
  kBadFileMode = 54,    // reading a stream opened to write, or the reverse
  kDeviceIoError = 57,  // any other system failure
  kFileExists = 58,
  kDiskFull = 61,
  kInputPastEnd = 62,
  kDeviceUnavailable = 68,  // a drive that is not mapped
  kPermissionDenied = 70,
  kPathFileAccessError = 75,
  kPathNotFound = 76,
};

// The HRESULT a runtime error travels as: 0x800A0000 | number.
HRESULT RuntimeHresult(RuntimeError error);

// Sets the thread's error record (the runtime's description, `source`)
// and returns the HRESULT.
HRESULT Raise(RuntimeError error, std::u16string_view source = kFileSystemSource) noexcept;

// What a missing path means for the call that failed.
enum class Missing : std::uint8_t { kFile, kPath };

// The runtime error of a failed file operation: ENOENT is "File not found"
// or "Path not found" after `missing`, a path that does not map is "Bad file
// name or number", access and folder-for-file failures "Permission denied",
// EEXIST "File already exists", ENOSPC "Disk full", anything else "Device
// I/O error".
RuntimeError FromStatus(fs::Status status, Missing missing);

// Raise(FromStatus(status, missing), source).
HRESULT RaiseStatus(fs::Status status, Missing missing,
                    std::u16string_view source = kFileSystemSource) noexcept;

}  // namespace vant::host::scripting
