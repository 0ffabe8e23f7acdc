#include "host/http/exchange.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "platform/sys/ascii.h"

namespace vant::host::http {

namespace {

// The bytes IsFieldText refuses, looked up rather than compared: every
// header a page adds passes through it.
constexpr std::array<bool, 256> kRefusedFieldBytes = [] {
  std::array<bool, 256> refused{};
  for (int byte = 0; byte < 0x20; ++byte) refused[byte] = byte != '\t';
  refused[0x7F] = true;
  return refused;
}();

}  // namespace

bool IsFieldText(std::string_view text) {
  const auto refusedIn = [](std::string_view bytes) {
    bool refused = false;
    for (const char c : bytes) refused |= kRefusedFieldBytes[static_cast<unsigned char>(c)];
    return refused;
  };
  // Eight bytes at a time: only a word holding a byte below 0x20 (a tab,
  // or a refused control character) or a 0x7F is looked at byte by byte.
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, sizeof word);
    const std::uint64_t del = word ^ (kOnes * 0x7F);
    const std::uint64_t suspect = ((word - kOnes * 0x20) & ~word) | ((del - kOnes) & ~del);
    if ((suspect & kHighs) != 0 && refusedIn(text.substr(i, 8))) return false;
  }
  return !refusedIn(text.substr(i));
}

std::optional<std::string> RequestHead::Header(std::string_view name) const {
  std::optional<std::string> joined;
  for (const auto& field : headers) {
    if (!sys::EqualsNoCase(field.name, name)) continue;
    if (joined)
      joined->append(", ").append(field.value);
    else
      joined = field.value;
  }
  return joined;
}

bool RequestHead::CameOverHttps() const {
  if (https) return true;
  const auto proto = Header("X-Forwarded-Proto");
  return proto && sys::EqualsNoCase(sys::TrimSpace(*proto), "https");
}

std::string RequestHead::Protocol() const { return version == 10 ? "HTTP/1.0" : "HTTP/1.1"; }

}  // namespace vant::host::http
