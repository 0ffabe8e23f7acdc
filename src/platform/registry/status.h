// Status codes returned by the registry functions. The names and numbers are
// those of the Win32 registry API, because the component code is written
// against that API and compares against these values.
#pragma once

namespace vant::registry {

// The call succeeded.
inline constexpr long ERROR_SUCCESS = 0;
// The key or value does not exist.
inline constexpr long ERROR_FILE_NOT_FOUND = 2;
// A write through a key opened for query only, or the file system refused access.
inline constexpr long ERROR_ACCESS_DENIED = 5;
// The key handle is not open (never opened, or closed).
inline constexpr long ERROR_INVALID_HANDLE = 6;
// Memory ran out.
inline constexpr long ERROR_NOT_ENOUGH_MEMORY = 8;
// Writing the registry file (or its temporary copy) failed.
inline constexpr long ERROR_WRITE_FAULT = 29;
// Reading the registry file failed for a reason other than its absence.
inline constexpr long ERROR_READ_FAULT = 30;
// An Edit() callback threw instead of returning a status.
inline constexpr long ERROR_GEN_FAILURE = 31;
// A null output pointer, or a name or string that cannot be stored in the file.
inline constexpr long ERROR_INVALID_PARAMETER = 87;
// The file system has no room for the new registry file.
inline constexpr long ERROR_DISK_FULL = 112;
// The value does not fit in the caller's byte limit.
inline constexpr long ERROR_MORE_DATA = 234;
// The key behind an open handle was deleted meanwhile.
inline constexpr long ERROR_KEY_DELETED = 1018;
// The value exists but has another type than the one asked for.
inline constexpr long ERROR_UNSUPPORTED_TYPE = 1630;

}  // namespace vant::registry
