// Fuzz target for the Range parser of the host's static files.
//
// Input layout:
//   byte 0   resource length: values below 200 pick kLengths[value % 8];
//            200 and above take the next 8 bytes as a little-endian length
//   the rest the Range header value
//
// Whatever the input: a partial range lies inside the resource and is not
// empty; a value of the plain forms "bytes=A-B", "bytes=A-" and "bytes=-N"
// (ASCII digits, no blanks, no list) gets exactly the answer those forms
// call for; any value not starting with the unit is ignored (whole resource).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "host/http/byte_range.h"

namespace {

using vant::host::http::ByteRange;
using vant::host::http::ParseRange;
using Kind = ByteRange::Kind;

constexpr std::uint64_t kLengths[] = {0, 1, 2, 100, 65536, 1ULL << 32, 1ULL << 62, UINT64_MAX};

[[noreturn]] void Fail(const char* what, std::string_view header, std::uint64_t length,
                       const ByteRange& got) {
  std::fprintf(
      stderr, "invariant broken: %s; header \"%.*s\", length %llu -> kind %d [%llu, %llu]\n", what,
      static_cast<int>(header.size()), header.data(), static_cast<unsigned long long>(length),
      static_cast<int>(got.kind), static_cast<unsigned long long>(got.first),
      static_cast<unsigned long long>(got.last));
  std::abort();
}

bool AllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (const char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// Digits to a number, saturated at 2^64-1.
std::uint64_t Number(std::string_view s) {
  std::uint64_t n = 0;
  for (const char c : s) {
    const auto digit = static_cast<std::uint64_t>(c - '0');
    n = n > (UINT64_MAX - digit) / 10 ? UINT64_MAX : n * 10 + digit;
  }
  return n;
}

bool StartsWithUnit(std::string_view header) {
  constexpr std::string_view kUnit = "bytes=";
  if (header.size() < kUnit.size()) return false;
  for (std::size_t i = 0; i < kUnit.size(); ++i) {
    const char c = header[i];
    if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c) != kUnit[i]) return false;
  }
  return true;
}

// The answer to the plain forms; nothing for any other text.
std::optional<ByteRange> PlainAnswer(std::string_view header, std::uint64_t length) {
  if (!StartsWithUnit(header)) return std::nullopt;
  const std::string_view spec = header.substr(6);
  const std::size_t dash = spec.find('-');
  if (dash == std::string_view::npos) return std::nullopt;
  const std::string_view a = spec.substr(0, dash);
  const std::string_view b = spec.substr(dash + 1);
  if (a.empty()) {
    if (!AllDigits(b)) return std::nullopt;
    const std::uint64_t n = Number(b);
    if (n == 0 || length == 0) return ByteRange{Kind::kUnsatisfiable, 0, 0};
    return ByteRange{Kind::kPartial, n >= length ? 0 : length - n, length - 1};
  }
  if (!AllDigits(a) || (!b.empty() && !AllDigits(b))) return std::nullopt;
  const std::uint64_t first = Number(a);
  const std::uint64_t last = b.empty() ? UINT64_MAX : Number(b);
  if (last < first) return ByteRange{};
  if (first >= length) return ByteRange{Kind::kUnsatisfiable, 0, 0};
  return ByteRange{Kind::kPartial, first, last >= length ? length - 1 : last};
}

std::uint64_t TakeLength(const std::uint8_t*& data, std::size_t& size) {
  if (size == 0) return 0;
  const std::uint8_t pick = *data++;
  --size;
  if (pick < 200 || size < 8) return kLengths[pick % 8];
  std::uint64_t length = 0;
  for (int i = 7; i >= 0; --i) length = length << 8 | data[i];
  data += 8;
  size -= 8;
  return length;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::uint64_t length = TakeLength(data, size);
  const std::string_view header(reinterpret_cast<const char*>(data), size);
  const ByteRange got = ParseRange(header, length);
  if (got.kind == Kind::kPartial && (got.first > got.last || got.last >= length)) {
    Fail("partial range outside the resource", header, length, got);
  }
  std::string_view trimmed = header;
  while (!trimmed.empty() && (trimmed.front() == ' ' || trimmed.front() == '\t'))
    trimmed.remove_prefix(1);
  if (!StartsWithUnit(trimmed) && got.kind != Kind::kFull) {
    Fail("a value without the unit was not ignored", header, length, got);
  }
  const std::optional<ByteRange> want = PlainAnswer(header, length);
  if (!want) return 0;
  const bool same =
      want->kind == got.kind &&
      (got.kind != Kind::kPartial || (want->first == got.first && want->last == got.last));
  if (!same) Fail("plain range answered wrongly", header, length, got);
  return 0;
}
