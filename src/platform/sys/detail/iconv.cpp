#include "platform/sys/detail/iconv.h"

#include <cerrno>
#include <cstring>

#include "platform/sys/utf.h"

namespace vant::sys::detail {
namespace {

constexpr size_t kChunkBytes = 4096;
constexpr size_t kFailed = static_cast<size_t>(-1);
constexpr char kDefaultChar = '?';

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void AppendBytes(std::string& out, const char* bytes, size_t size) { out.append(bytes, size); }

void AppendBytes(std::u16string& out, const char* bytes, size_t size) {
  const size_t oldSize = out.size();
  out.resize(oldSize + size / sizeof(char16_t));
  std::memcpy(out.data() + oldSize, bytes, size - size % sizeof(char16_t));
}

// Runs one iconv step into a local buffer and appends what it produced.
// Returns iconv's result; errno holds the reason when it is kFailed.
template <typename Out>
size_t Step(iconv_t cd, char** in, size_t* inLeft, Out& out) {
  char buffer[kChunkBytes];
  char* outPtr = buffer;
  size_t outLeft = sizeof buffer;
  const size_t result = iconv(cd, in, inLeft, &outPtr, &outLeft);
  const int savedErrno = errno;
  AppendBytes(out, buffer, sizeof buffer - outLeft);
  errno = savedErrno;
  return result;
}

}  // namespace

std::optional<std::u16string> DecodeWith(iconv_t cd, std::string_view bytes) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial shift state
  std::u16string out;
  out.reserve(bytes.size());
  char* in = const_cast<char*>(bytes.data());  // iconv never writes its input
  size_t inLeft = bytes.size();
  while (inLeft > 0) {
    if (Step(cd, &in, &inLeft, out) != kFailed) continue;
    if (errno == E2BIG) continue;
    if (errno == EILSEQ) {
      out.push_back(kReplacementChar);
      ++in;
      --inLeft;
      continue;
    }
    if (errno == EINVAL) {
      out.push_back(kReplacementChar);
      break;
    }
    return std::nullopt;
  }
  return out;
}

std::optional<std::u16string> DecodeExactWith(iconv_t cd, std::string_view bytes,
                                              std::optional<std::size_t>* invalidAt) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::u16string out;
  out.reserve(bytes.size());
  char* in = const_cast<char*>(bytes.data());  // iconv never writes its input
  size_t inLeft = bytes.size();
  *invalidAt = std::nullopt;
  while (inLeft > 0) {
    if (Step(cd, &in, &inLeft, out) != kFailed) continue;
    if (errno == E2BIG) continue;
    if (errno != EILSEQ && errno != EINVAL) return std::nullopt;
    *invalidAt = static_cast<std::size_t>(in - bytes.data());
    return out;
  }
  return out;
}

std::optional<std::string> EncodeWith(iconv_t cd, std::u16string_view text) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::string out;
  out.reserve(text.size());
  const char16_t* start = text.data();
  char* in = reinterpret_cast<char*>(const_cast<char16_t*>(start));
  size_t inLeft = text.size() * sizeof(char16_t);
  while (inLeft > 0) {
    if (Step(cd, &in, &inLeft, out) != kFailed) continue;
    if (errno == E2BIG) continue;
    if (errno != EILSEQ && errno != EINVAL) return std::nullopt;
    // Return to the initial shift state so the '?' is read as ASCII.
    if (Step(cd, nullptr, nullptr, out) == kFailed) return std::nullopt;
    out.push_back(kDefaultChar);
    const size_t at = static_cast<size_t>(reinterpret_cast<const char16_t*>(in) - start);
    const bool pair =
        at + 1 < text.size() && IsHighSurrogate(text[at]) && IsLowSurrogate(text[at + 1]);
    const size_t skip = (pair ? 2 : 1) * sizeof(char16_t);
    in += skip;
    inLeft -= skip;
  }
  // Write the final shift-back sequence of stateful encodings.
  if (Step(cd, nullptr, nullptr, out) == kFailed) return std::nullopt;
  return out;
}

}  // namespace vant::sys::detail
