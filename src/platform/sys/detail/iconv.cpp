#include "platform/sys/detail/iconv.h"

#include <bit>
#include <cerrno>
#include <cstring>
#include <memory>
#include <unordered_map>

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

// Converter names.
namespace {

struct CodePageName {
  uint32_t number;
  const char* iconvName;
};

// The code pages browsers and pages are likely to name. glibc's CP9xx tables
// carry the vendor extensions of the Windows code pages (CP949 is the
// Unified Hangul Code, CP932 is Windows-31J), unlike plain EUC-KR/SHIFT_JIS.
constexpr CodePageName kCodePages[] = {
    {437, "CP437"},        {850, "CP850"},         {866, "CP866"},         {874, "CP874"},
    {932, "CP932"},        {936, "CP936"},         {949, "CP949"},         {950, "CP950"},
    {1250, "CP1250"},      {1251, "CP1251"},       {1252, "CP1252"},       {1253, "CP1253"},
    {1254, "CP1254"},      {1255, "CP1255"},       {1256, "CP1256"},       {1257, "CP1257"},
    {1258, "CP1258"},      {20127, "ASCII"},       {20866, "KOI8-R"},      {21866, "KOI8-U"},
    {28591, "ISO-8859-1"}, {28592, "ISO-8859-2"},  {28595, "ISO-8859-5"},  {28597, "ISO-8859-7"},
    {28599, "ISO-8859-9"}, {28605, "ISO-8859-15"}, {50220, "ISO-2022-JP"}, {51932, "EUC-JP"},
    {51949, "EUC-KR"},     {54936, "GB18030"},     {65000, "UTF-7"},
};

}  // namespace

const char* IconvName(uint32_t codePage) {
  for (const auto& entry : kCodePages) {
    if (entry.number == codePage) return entry.iconvName;
  }
  return nullptr;
}

// The per-thread converters.
namespace {

// iconv_open reports failure with this pointer value.
const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);  // NOLINT(performance-no-int-to-ptr)

constexpr const char* kNativeUtf16 =
    std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

struct IconvCloser {
  void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

uint64_t CacheKey(uint32_t codePage, Direction direction) {
  return (uint64_t{codePage} << 1) | (direction == Direction::kEncode ? 1 : 0);
}

}  // namespace

iconv_t ThreadConverter(uint32_t codePage, Direction direction) {
  thread_local std::unordered_map<uint64_t, IconvHandle> cache;
  const uint64_t key = CacheKey(codePage, direction);
  if (auto found = cache.find(key); found != cache.end()) return found->second.get();
  const char* name = IconvName(codePage);
  if (name == nullptr) return nullptr;
  const iconv_t cd = direction == Direction::kDecode ? iconv_open(kNativeUtf16, name)
                                                     : iconv_open(name, kNativeUtf16);
  if (cd == kInvalid) return nullptr;
  cache.emplace(key, IconvHandle(cd));
  return cd;
}

}  // namespace vant::sys::detail
