#include "host/scripting/script_error.h"

namespace vant::host::scripting {
namespace {

constexpr std::uint32_t kRuntimeFacility = 0x800A0000;

std::u16string_view Description(RuntimeError error) {
  switch (error) {
    case RuntimeError::kInvalidCall:
      return u"Invalid procedure call or argument";
    case RuntimeError::kBadFileName:
      return u"Bad file name or number";
    case RuntimeError::kFileNotFound:
      return u"File not found";
    case RuntimeError::kBadFileMode:
      return u"Bad file mode";
    case RuntimeError::kDeviceIoError:
      return u"Device I/O error";
    case RuntimeError::kFileExists:
      return u"File already exists";
    case RuntimeError::kDiskFull:
      return u"Disk full";
    case RuntimeError::kInputPastEnd:
      return u"Input past end of file";
    case RuntimeError::kDeviceUnavailable:
      return u"Device unavailable";
    case RuntimeError::kPermissionDenied:
      return u"Permission denied";
    case RuntimeError::kPathFileAccessError:
      return u"Path/File access error";
    case RuntimeError::kPathNotFound:
      return u"Path not found";
  }
  return u"Device I/O error";
}

}  // namespace

HRESULT RuntimeHresult(RuntimeError error) {
  return MakeHresult(kRuntimeFacility | static_cast<std::uint32_t>(error));
}

HRESULT Raise(RuntimeError error, std::u16string_view source) noexcept {
  return RaiseError(RuntimeHresult(error), source, Description(error));
}

RuntimeError FromStatus(fs::Status status, Missing missing) {
  switch (status.error) {
    case ENOENT:
      return missing == Missing::kFile ? RuntimeError::kFileNotFound : RuntimeError::kPathNotFound;
    case ENOTDIR:
      return RuntimeError::kPathNotFound;
    case fs::kBadPathError:
    case ENAMETOOLONG:
      return RuntimeError::kBadFileName;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
    case EBUSY:
    case ENOTEMPTY:
      return RuntimeError::kPermissionDenied;
    case EEXIST:
      return RuntimeError::kFileExists;
    case ENOSPC:
    case EDQUOT:
      return RuntimeError::kDiskFull;
    case EXDEV:
    case ELOOP:
      return RuntimeError::kPathFileAccessError;
    default:
      return RuntimeError::kDeviceIoError;
  }
}

HRESULT RaiseStatus(fs::Status status, Missing missing, std::u16string_view source) noexcept {
  return Raise(FromStatus(status, missing), source);
}

}  // namespace vant::host::scripting
