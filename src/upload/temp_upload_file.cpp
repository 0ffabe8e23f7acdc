#include "upload/temp_upload_file.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "platform/fs/file_info.h"
#include "platform/sys/clock.h"
#include "platform/sys/random.h"
#include "upload/upload_limits.h"

namespace vant::upload {
namespace {

constexpr std::u16string_view kPrefix = u"\\KWZ$";
constexpr std::u16string_view kSuffix = u".tm#";
// Names clash only when another upload drew the same clock and random
// values; a few new draws always find a free one unless something is wrong.
constexpr int kNameAttempts = 16;

std::u16string Decimal(std::uint32_t value) {
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + value % 10));
    value /= 10;
  } while (value != 0);
  return digits;
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

}  // namespace

std::u16string TempFileName(std::u16string_view folder, std::uint32_t clock, std::uint32_t random) {
  std::u16string name(folder);
  name += kPrefix;
  name += Decimal(clock);
  name += Decimal(random);
  name += kSuffix;
  return name;
}

bool IsTempFileName(std::u16string_view fileName) {
  const std::u16string_view prefix = kPrefix.substr(1);
  if (fileName.size() <= prefix.size() + kSuffix.size() || !fileName.starts_with(prefix) ||
      !fileName.ends_with(kSuffix)) {
    return false;
  }
  const std::u16string_view digits =
      fileName.substr(prefix.size(), fileName.size() - prefix.size() - kSuffix.size());
  for (const char16_t c : digits) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

fs::Status TempUploadFile::FlushBuffer() {
  const std::size_t size = buffered_;
  // Emptied whatever the outcome: after a failed write the part fails and
  // the file is deleted, so the bytes are not written twice.
  buffered_ = 0;
  if (size == 0) return fs::Status::Ok();
  return file_.Write(buffer_.get(), size);
}

fs::Status TempUploadFile::Write(const void* data, std::size_t size) {
  if (!file_.is_open()) return fs::Status::Fail(EBADF);
  // A large piece gains nothing from a copy: it is written as it is.
  if (buffered_ + size > kTempWriteBufferSize || size >= kTempDirectWriteSize) {
    if (const fs::Status flushed = FlushBuffer(); !flushed.ok()) return flushed;
    if (size >= kTempDirectWriteSize) return file_.Write(data, size);
  }
  if (size == 0) return fs::Status::Ok();
  if (!buffer_) buffer_ = std::make_unique_for_overwrite<std::uint8_t[]>(kTempWriteBufferSize);
  std::memcpy(buffer_.get() + buffered_, data, size);
  buffered_ += size;
  return fs::Status::Ok();
}

fs::Status TempUploadFile::Close() {
  const fs::Status flushed = FlushBuffer();
  buffer_.reset();
  const fs::Status closed = file_.Close();
  // The write error is the one to report; errno must still name it.
  return flushed.ok() ? closed : fs::Status::Fail(flushed.error);
}

TempUploadFile::~TempUploadFile() {
  if (path_.empty() || kept_) return;
  (void)file_.Close();
  (void)fs::DeleteFile(path_);
}

fs::Status TempUploadFile::Create(std::u16string_view folder) {
  fs::Status status = fs::Status::Fail(EEXIST);
  for (int attempt = 0; attempt < kNameAttempts && status.exists(); ++attempt) {
    std::uint32_t random = 0;
    if (!sys::TryRandom32(&random)) return fs::Status::Fail(EIO);
    std::u16string path = TempFileName(folder, sys::TickCount(), random);
    status = file_.CreateExclusive(path);
    if (status.ok()) path_ = std::move(path);
  }
  return status;
}

}  // namespace vant::upload
