#include "host/ado/detail/spill_file.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "host/ado/detail/ado_error.h"
#include "platform/sys/random.h"

namespace vant::host::ado {
namespace {

// Names are random; a clash with an existing file is retried this often.
constexpr int kNameAttempts = 8;

std::string TempFolder() {
  std::error_code ec;
  const std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
  return ec ? std::string("/tmp") : folder.string();
}

// False only when the kernel's random source fails.
bool RandomName(std::string* name) {
  std::uint32_t high = 0;
  std::uint32_t low = 0;
  if (!sys::TryRandom32(&high) || !sys::TryRandom32(&low)) return false;
  char hex[20];
  std::snprintf(hex, sizeof hex, "%08x%08x", high, low);
  *name = std::string(kSpillPrefix) + hex + ".tmp";
  return true;
}

Outcome FileError(fs::Status status, std::u16string_view what) {
  return Outcome::Fail(kDatabaseError,
                       std::u16string(what) + u": " + Utf8ToUtf16(std::strerror(status.error)));
}

}  // namespace

Outcome SpillFile::Create(std::unique_ptr<SpillFile>* out) {
  const std::string folder = TempFolder();
  fs::Status status;
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string name;
    if (!RandomName(&name)) {
      status = fs::Status::Fail(EIO);
      break;
    }
    const std::string path = folder + "/" + name;
    fs::File file;
    status = file.OpenHost(path, fs::Access::kReadWrite, fs::Disposition::kCreateNew);
    if (status.ok()) {
      out->reset(new SpillFile(std::move(file), path));
      return Outcome::Ok();
    }
    if (!status.exists()) break;
  }
  return FileError(status, u"Cannot create a temporary file for the field's chunks");
}

SpillFile::~SpillFile() {
  (void)file_.Close();
  std::error_code ignored;
  std::filesystem::remove(path_, ignored);
}

Outcome SpillFile::Append(const void* data, std::size_t size) {
  if (const fs::Status status = file_.Write(data, size); !status.ok()) {
    return FileError(status, u"Cannot write the field's chunks to a temporary file");
  }
  size_ += size;
  return Outcome::Ok();
}

Outcome SpillFile::Rewind() {
  std::int64_t position = 0;
  if (const fs::Status status = file_.Seek(0, fs::SeekFrom::kBegin, position); !status.ok()) {
    return FileError(status, u"Cannot read back the field's chunks");
  }
  return Outcome::Ok();
}

Outcome SpillFile::Read(void* buffer, std::size_t size, std::size_t* got) {
  if (const fs::Status status = file_.Read(buffer, size, *got); !status.ok()) {
    return FileError(status, u"Cannot read back the field's chunks");
  }
  return Outcome::Ok();
}

}  // namespace vant::host::ado
