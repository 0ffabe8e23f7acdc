#include "host/intrinsics/detail/request_body.h"

#include <algorithm>
#include <limits>

#include "host/intrinsics/text_codec.h"

namespace vant::host::intrinsics {

namespace {

constexpr std::string_view kFormType = "application/x-www-form-urlencoded";
// Reads of unknown length go in pieces so a large count never allocates
// ahead of the bytes that really arrive.
constexpr std::size_t kPiece = 64 * 1024;
// The first size of BinaryRead's array when the count asked for is larger.
constexpr std::size_t kFirstArray = 1024 * 1024;

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  return EqualsNoCase(DecodeUtf8(text.substr(0, prefix.size())), DecodeUtf8(prefix));
}

}  // namespace

bool RequestBody::IsFormEncoded() const {
  const auto type = exchange_.Request().Header("Content-Type");
  if (!type) return false;
  std::string_view t = *type;
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  if (!StartsWithNoCase(t, kFormType)) return false;
  // Exactly that type, possibly with parameters ("; charset=utf-8").
  return t.size() == kFormType.size() || t[kFormType.size()] == ';' || t[kFormType.size()] == ' ';
}

std::size_t RequestBody::Remaining() const {
  if (exchange_.BodyIsChunked()) return std::numeric_limits<std::size_t>::max();
  const std::uint64_t total = exchange_.TotalBytes();
  return total > consumed_ ? static_cast<std::size_t>(total - consumed_) : 0;
}

std::vector<std::uint8_t> RequestBody::Read(std::size_t count, bool* failed) {
  *failed = false;
  std::vector<std::uint8_t> bytes;
  std::size_t wanted = std::min(count, Remaining());
  while (wanted > 0) {
    const std::size_t piece = std::min(wanted, kPiece);
    const std::size_t at = bytes.size();
    bytes.resize(at + piece);
    const std::size_t got = exchange_.ReadBody(bytes.data() + at, piece);
    bytes.resize(at + got);
    consumed_ += got;
    wanted -= got;
    if (got < piece) {
      *failed = exchange_.BodyFailed();
      break;
    }
  }
  return bytes;
}

std::size_t RequestBody::ReadInto(std::uint8_t* dst, std::size_t n, bool* failed) {
  const std::size_t got = exchange_.ReadBody(dst, n);
  consumed_ += got;
  if (got < n) *failed = exchange_.BodyFailed();
  return got;
}

std::unique_ptr<SafeArray> RequestBody::ReadArray(std::size_t count, bool* failed) {
  *failed = false;
  const std::size_t wanted = std::min(count, Remaining());
  std::size_t size = std::min(wanted, kFirstArray);
  std::unique_ptr<SafeArray> array =
      SafeArray::CreateVector(VT_UI1, 0, static_cast<std::uint32_t>(size));
  std::size_t filled = 0;
  while (array != nullptr && filled < wanted) {
    const std::size_t got = ReadInto(array->Bytes() + filled, size - filled, failed);
    filled += got;
    // Short: the body ended or the client failed.
    if (filled < size) break;
    size = std::min(wanted, 2 * size);
    if (filled < size && Failed(array->Resize(static_cast<std::uint32_t>(size)))) return nullptr;
  }
  if (array != nullptr && filled < array->Count() &&
      Failed(array->Resize(static_cast<std::uint32_t>(filled)))) {
    return nullptr;
  }
  return array;
}

std::size_t RequestBody::ReadSome(std::uint8_t* dst, std::size_t minimum, std::size_t capacity,
                                  bool* failed) {
  *failed = false;
  const std::size_t n = std::min(capacity, Remaining());
  if (n == 0) return 0;
  const std::size_t wanted = std::min(minimum, n);
  const std::size_t got = exchange_.ReadBodySome(dst, wanted, n);
  consumed_ += got;
  if (got < wanted) *failed = exchange_.BodyFailed();
  return got;
}

bool RequestBody::ReadAll(std::size_t limit, std::string* out) {
  const std::size_t left = Remaining();
  if (left != std::numeric_limits<std::size_t>::max() && left > limit) return false;
  bool failed = false;
  const std::vector<std::uint8_t> bytes = Read(limit + 1, &failed);
  if (failed || bytes.size() > limit) return false;
  out->assign(bytes.begin(), bytes.end());
  return true;
}

}  // namespace vant::host::intrinsics
