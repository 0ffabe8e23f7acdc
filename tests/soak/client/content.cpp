#include "content.h"

namespace soak {

namespace {

// Content bytes come in 8-byte words, each a hash of (seed, word index), so
// any offset can be produced without generating what comes before it.
std::uint64_t Word(std::uint64_t seed, std::uint64_t index) {
  std::uint64_t x = seed ^ (index * 0x9E3779B97F4A7C15ull);
  x ^= x >> 30;
  x *= 0xBF58476D1CE4E5B9ull;
  x ^= x >> 27;
  x *= 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

unsigned char ByteAt(std::uint64_t seed, std::uint64_t offset) {
  return static_cast<unsigned char>(Word(seed, offset / 8) >> (8 * (offset % 8)));
}

}  // namespace

std::uint64_t Rng::Next() {
  state_ ^= state_ >> 12;
  state_ ^= state_ << 25;
  state_ ^= state_ >> 27;
  return state_ * 0x2545F4914F6CDD1Dull;
}

std::uint64_t Rng::Between(std::uint64_t low, std::uint64_t high) {
  if (high <= low) return low;
  return low + Next() % (high - low + 1);
}

std::string ContentBytes(std::uint64_t seed, std::uint64_t offset, std::size_t length) {
  std::string out(length, '\0');
  for (std::size_t i = 0; i < length; ++i) out[i] = static_cast<char>(ByteAt(seed, offset + i));
  return out;
}

bool ContentMatches(std::uint64_t seed, std::uint64_t offset, std::string_view data) {
  for (std::size_t i = 0; i < data.size(); ++i)
    if (static_cast<unsigned char>(data[i]) != ByteAt(seed, offset + i)) return false;
  return true;
}

std::uint64_t SeedOf(std::string_view name) {
  std::uint64_t hash = 0xCBF29CE484222325ull;
  for (const char c : name) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001B3ull;
  }
  return hash;
}

std::size_t RandomUploadSize(Rng& rng) {
  const auto pick = rng.Between(0, 99);
  if (pick < 5) return 0;
  if (pick < 55) return rng.Between(1, 64 * 1024);
  if (pick < 85) return rng.Between(64 * 1024, 512 * 1024);
  return rng.Between(512 * 1024, 3 * 1024 * 1024);
}

}  // namespace soak
