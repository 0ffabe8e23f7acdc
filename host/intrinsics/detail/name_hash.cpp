#include "host/intrinsics/detail/name_hash.h"

#include <chrono>
#include <cstring>

#include "platform/sys/random.h"

namespace vant::host::intrinsics {
namespace {

constexpr std::uint64_t Rotl(std::uint64_t x, int b) { return (x << b) | (x >> (64 - b)); }

struct SipState {
  std::uint64_t v0, v1, v2, v3;

  void Round() {
    v0 += v1;
    v1 = Rotl(v1, 13);
    v1 ^= v0;
    v0 = Rotl(v0, 32);
    v2 += v3;
    v3 = Rotl(v3, 16);
    v3 ^= v2;
    v0 += v3;
    v3 = Rotl(v3, 21);
    v3 ^= v0;
    v2 += v1;
    v1 = Rotl(v1, 17);
    v1 ^= v2;
    v2 = Rotl(v2, 32);
  }

  void Absorb(std::uint64_t m) {
    v3 ^= m;
    Round();
    Round();
    v0 ^= m;
  }
};

std::uint64_t LoadLittleEndian(const unsigned char* p, std::size_t n) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < n; ++i) value |= std::uint64_t{p[i]} << (8 * i);
  return value;
}

struct ProcessKey {
  std::uint64_t words[2] = {};

  ProcessKey() {
    // The kernel source does not fail on a working Linux; should it, a key
    // from the clock still differs between runs, and lookups stay correct.
    if (!sys::RandomBytes(words, sizeof words)) {
      words[0] =
          static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
      words[1] = reinterpret_cast<std::uintptr_t>(this);
    }
  }
};

const ProcessKey& Key() {
  static const ProcessKey key;
  return key;
}

}  // namespace

std::uint64_t SipHash24(const std::uint64_t key[2], const void* data, std::size_t size) {
  SipState s{key[0] ^ 0x736f6d6570736575ULL, key[1] ^ 0x646f72616e646f6dULL,
             key[0] ^ 0x6c7967656e657261ULL, key[1] ^ 0x7465646279746573ULL};
  const auto* bytes = static_cast<const unsigned char*>(data);
  const std::size_t whole = size - size % 8;
  for (std::size_t at = 0; at < whole; at += 8) s.Absorb(LoadLittleEndian(bytes + at, 8));
  s.Absorb(LoadLittleEndian(bytes + whole, size % 8) | (std::uint64_t{size & 0xFF} << 56));
  s.v2 ^= 0xFF;
  for (int i = 0; i < 4; ++i) s.Round();
  return s.v0 ^ s.v1 ^ s.v2 ^ s.v3;
}

std::size_t NameHash::operator()(const std::u16string& name) const noexcept {
  return static_cast<std::size_t>(
      SipHash24(Key().words, name.data(), name.size() * sizeof(char16_t)));
}

}  // namespace vant::host::intrinsics
