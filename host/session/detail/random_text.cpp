#include "host/session/detail/random_text.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

#include "platform/sys/random.h"

namespace vant::host::session::detail {
namespace {

constexpr unsigned kLetters = 26;
// The largest multiple of 26 a byte holds: bytes from it up are drawn again,
// so every letter is equally likely.
constexpr unsigned kUnbiasedBytes = 256 / kLetters * kLetters;

void Draw(std::uint8_t* bytes, std::size_t size) {
  if (!sys::RandomBytes(bytes, size)) throw std::runtime_error("the kernel's random source failed");
}

}  // namespace

std::string RandomLetters(std::size_t count) {
  std::string text;
  text.reserve(count);
  std::uint8_t bytes[kCookieValueLetters];
  while (text.size() < count) {
    const std::size_t want = std::min(count - text.size(), sizeof bytes);
    Draw(bytes, want);
    for (std::size_t i = 0; i < want; ++i) {
      if (bytes[i] < kUnbiasedBytes) text += static_cast<char>('A' + bytes[i] % kLetters);
    }
  }
  return text;
}

std::string RandomKey() {
  std::uint8_t bytes[16];
  Draw(bytes, sizeof bytes);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string key;
  for (const std::uint8_t b : bytes) {
    key += kHex[b >> 4];
    key += kHex[b & 0x0F];
  }
  return key;
}

}  // namespace vant::host::session::detail
