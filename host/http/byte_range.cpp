#include "host/http/byte_range.h"

#include <cstdint>

#include "platform/sys/ascii.h"

namespace vant::host::http {
namespace {

constexpr std::string_view kUnit = "bytes=";

// Decimal digits only; values past 2^64-1 saturate so a huge start is simply
// out of range and a huge end is clamped.
bool ParseNumber(std::string_view s, std::uint64_t& out) {
  if (s.empty()) return false;
  out = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
    out = out > (UINT64_MAX - digit) / 10 ? UINT64_MAX : out * 10 + digit;
  }
  return true;
}

ByteRange Partial(std::uint64_t first, std::uint64_t last) {
  return {ByteRange::Kind::kPartial, first, last};
}

ByteRange Unsatisfiable() { return {ByteRange::Kind::kUnsatisfiable, 0, 0}; }

}  // namespace

ByteRange ParseRange(std::string_view header, std::uint64_t length) {
  header = sys::TrimSpace(header);
  if (!sys::StartsWithNoCase(header, kUnit)) return {};
  const std::string_view ranges = sys::TrimSpace(header.substr(kUnit.size()));
  if (ranges.find(',') != std::string_view::npos) return {};
  const auto dash = ranges.find('-');
  if (dash == std::string_view::npos) return {};
  const std::string_view firstText = sys::TrimSpace(ranges.substr(0, dash));
  const std::string_view lastText = sys::TrimSpace(ranges.substr(dash + 1));

  std::uint64_t first = 0;
  std::uint64_t last = 0;
  if (firstText.empty()) {  // suffix: the final n bytes
    if (!ParseNumber(lastText, last)) return {};
    if (last == 0 || length == 0) return Unsatisfiable();
    return Partial(last >= length ? 0 : length - last, length - 1);
  }
  if (!ParseNumber(firstText, first)) return {};
  if (lastText.empty())
    last = UINT64_MAX;
  else if (!ParseNumber(lastText, last) || last < first)
    return {};
  if (first >= length) return Unsatisfiable();
  return Partial(first, last >= length ? length - 1 : last);
}

}  // namespace vant::host::http
