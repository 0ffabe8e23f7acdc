// Fuzz target for the Range and If-Range handling of FileDownload: one input
// is one Download call on the in-memory host, from disk or from the cache.
//
// Input layout:
//   byte 0   bit 0 resume off, bit 1 send from the cache, bit 2 texts are
//            UTF-16LE code units (else one byte per character), bits 3-5
//            content size (see kSizes), bits 6-7 If-Range: none, this
//            version's ETag, its Last-Modified date, or the text after the
//            Range value
//   then     the Range value, up to a LF
//   the rest the If-Range value (mode 3 only)
//
// Whatever the input, the call succeeds and the response is exactly one of:
// the whole content with no status (200); 206 with the tail from a start
// inside the content, Content-Range and Content-Length to match; 416 with
// "Content-Range: bytes */LENGTH", Content-Length 0 and no body. Which one
// follows from a plain reading of the values below, so a wrong answer, a
// byte from outside the content or a runaway loop aborts.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <string>

#include "download/cache.h"
#include "download/file_download.h"
#include "download/validators.h"
#include "platform/automation/automation.h"
#include "platform/fs/file_info.h"
#include "support/fake_host.h"

namespace {

using namespace vant;

constexpr std::int64_t kSizes[] = {0, 1, 2, 100, 65535, 65536, 65537, 3 * 65536 + 100};
constexpr std::size_t kSizeCount = sizeof kSizes / sizeof kSizes[0];

[[noreturn]] void Fail(const char* what, const std::string& got) {
  std::fprintf(stderr, "invariant broken: %s (got: %s)\n", what, got.c_str());
  std::abort();
}

std::string Narrow(std::u16string_view text) {
  std::string out;
  for (const char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

std::u16string Wide(const std::string& text) { return std::u16string(text.begin(), text.end()); }

// Bytes that differ at every offset of a chunk, so a shifted tail shows.
std::string Content(std::int64_t n) {
  std::string bytes(static_cast<std::size_t>(n), '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return bytes;
}

// A folder with one disk file and one cached file of every size, made once.
struct Sandbox {
  Sandbox() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vant-fuzz-XXXXXX").string();
    root = mkdtemp(pattern.data());
    // Reports read the message configuration: point them at an empty one.
    setenv("VANT_REGISTRY", (root / "registry.reg").c_str(), 1);
    for (std::size_t i = 0; i < kSizeCount; ++i) {
      for (const char* kind : {"disk", "cache"}) {
        const auto path = root / (std::string(kind) + std::to_string(i) + ".bin");
        std::ofstream(path, std::ios::binary) << Content(kSizes[i]);
      }
      if (Failed(cache.AddCacheFile(WinPath("cache", i)))) Fail("cache add", std::to_string(i));
    }
  }
  ~Sandbox() {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
  }
  std::u16string WinPath(const char* kind, std::size_t size) const {
    std::u16string out =
        u"C:" + Wide((root / (std::string(kind) + std::to_string(size) + ".bin")).string());
    for (char16_t& c : out) c = c == u'/' ? u'\\' : c;
    return out;
  }
  std::filesystem::path root;
  download::CCache cache;
};

Sandbox& TheSandbox() {
  static Sandbox sandbox;
  return sandbox;
}

struct Input {
  bool resume = true;
  bool cached = false;
  std::size_t size = 0;
  int ifRangeMode = 0;
  std::u16string range;
  std::u16string ifRange;
};

// One text up to a LF (or the end): bytes, or UTF-16LE code units.
std::u16string TakeText(const std::uint8_t*& data, std::size_t& size, bool wide) {
  std::u16string text;
  while (size >= (wide ? 2u : 1u)) {
    const char16_t c = wide ? static_cast<char16_t>(data[0] | data[1] << 8) : data[0];
    data += wide ? 2 : 1;
    size -= wide ? 2 : 1;
    if (c == u'\n') break;
    text += c;
  }
  return text;
}

Input Decode(const std::uint8_t* data, std::size_t size) {
  Input in;
  if (size == 0) return in;
  const std::uint8_t flags = data[0];
  ++data;
  --size;
  in.resume = (flags & 1) == 0;
  in.cached = (flags & 2) != 0;
  const bool wide = (flags & 4) != 0;
  in.size = (flags >> 3) & 7;
  in.ifRangeMode = flags >> 6;
  in.range = TakeText(data, size, wide);
  in.ifRange = TakeText(data, size, wide);
  return in;
}

// The start of "bytes=DIGITS-…" (unit in any ASCII letter case), saturated
// at the largest 64-bit value; nothing for any other text.
std::optional<std::int64_t> ExpectedStart(std::u16string_view value) {
  constexpr std::u16string_view kUnit = u"bytes=";
  if (value.size() < kUnit.size()) return std::nullopt;
  for (std::size_t i = 0; i < kUnit.size(); ++i) {
    const char16_t c = value[i];
    const char16_t lower = c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
    if (lower != kUnit[i]) return std::nullopt;
  }
  constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
  std::int64_t start = 0;
  std::size_t i = kUnit.size();
  for (; i < value.size() && value[i] >= u'0' && value[i] <= u'9'; ++i) {
    const int digit = value[i] - u'0';
    start = start > (kMax - digit) / 10 ? kMax : start * 10 + digit;
  }
  if (i == kUnit.size() || i == value.size() || value[i] != u'-') return std::nullopt;
  return start;
}

void Expect(const test::FakeHost& host, const char* header, const std::string& want) {
  const std::string got = host.Header(Wide(header)) ? Narrow(*host.Header(Wide(header))) : "<none>";
  if (got != want) Fail(header, got + ", wanted " + want);
}

void Check(const test::FakeHost& host, const Input& in, const std::u16string& tag,
           const std::u16string& date) {
  const std::int64_t length = kSizes[in.size];
  const std::string content = Content(length);
  const std::optional<std::int64_t> start = ExpectedStart(in.range);
  const bool validatorMatches = in.ifRange.empty() || in.ifRange == tag || in.ifRange == date;
  const std::string status = host.Status() ? Narrow(*host.Status()) : "<none>";
  const std::string body = host.Output();
  // The writes are chunks of a bounded size, so their count is bounded too.
  if (host.BinaryWriteSizes().size() > static_cast<std::size_t>(length / 65536 + 2)) {
    Fail("too many writes", std::to_string(host.BinaryWriteSizes().size()));
  }
  if (!in.resume || !start || !validatorMatches) {
    if (status != "<none>") Fail("full answer has a status", status);
    if (body != content) Fail("full answer body", std::to_string(body.size()) + " bytes");
    return Expect(host, "Content-Length", std::to_string(length));
  }
  if (*start >= length) {
    if (status.rfind("416 ", 0) != 0) Fail("unsatisfiable start status", status);
    if (!body.empty()) Fail("416 has a body", std::to_string(body.size()) + " bytes");
    Expect(host, "Content-Range", "bytes */" + std::to_string(length));
    return Expect(host, "Content-Length", "0");
  }
  if (status.rfind("206 ", 0) != 0) Fail("partial status", status);
  if (body != content.substr(static_cast<std::size_t>(*start))) {
    Fail("partial body", std::to_string(body.size()) + " bytes");
  }
  Expect(host, "Content-Range",
         "bytes " + std::to_string(*start) + "-" + std::to_string(length - 1) + "/" +
             std::to_string(length));
  Expect(host, "Content-Length", std::to_string(length - *start));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Sandbox& box = TheSandbox();
  Input in = Decode(data, size);
  const std::u16string path = box.WinPath(in.cached ? "cache" : "disk", in.size);
  fs::FileAttributes attributes;
  if (!fs::GetAttributes(path, attributes).ok()) Fail("sandbox file", Narrow(path));
  // Both texts are ASCII; copied out, as each call reuses its thread's text.
  const std::string_view tagText = download::EntityTag(path, attributes, kSizes[in.size]);
  const std::u16string tag(tagText.begin(), tagText.end());
  const std::string_view dateText = download::HttpDate(attributes.lastWriteSeconds);
  const std::u16string date(dateText.begin(), dateText.end());
  if (in.ifRangeMode == 0) in.ifRange.clear();
  if (in.ifRangeMode == 1) in.ifRange = tag;
  if (in.ifRangeMode == 2) in.ifRange = date;

  test::FakeHost host;
  host.SetServerVariable(u"HTTP_RANGE", in.range);
  if (!in.ifRange.empty()) host.SetServerVariable(u"HTTP_IF_RANGE", in.ifRange);
  {
    ComPtr<download::CFileDownload> download = download::CFileDownload::Create(box.cache);
    download->OnStartPage(host.ScriptingContext().get());
    const HRESULT hr = download->Download(Bstr(path), Bstr(u"x.bin"), VARIANT_FALSE,
                                          in.resume ? VARIANT_TRUE : VARIANT_FALSE);
    if (hr != S_OK) Fail("Download failed", std::to_string(hr));
    download->OnEndPage();
  }
  Check(host, in, tag, date);
  return 0;
}
