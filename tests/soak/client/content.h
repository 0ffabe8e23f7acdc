// Deterministic test content and randomness for the soak client: every file
// the soak sends or serves is a pure function of a seed, so the client can
// check any byte range of it without keeping the bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace soak {

// xorshift64*: fast, good enough for sizes, choices and file bytes.
class Rng {
 public:
  explicit Rng(std::uint64_t seed) : state_(seed ? seed : 0x9E3779B97F4A7C15ull) {}
  std::uint64_t Next();
  // Uniform in [low, high] (both included).
  std::uint64_t Between(std::uint64_t low, std::uint64_t high);
  // True with the given probability in per cent.
  bool Chance(unsigned percent) { return Between(0, 99) < percent; }

 private:
  std::uint64_t state_;
};

// Bytes [offset, offset + length) of the content named by seed.
std::string ContentBytes(std::uint64_t seed, std::uint64_t offset, std::size_t length);

// True when data equals bytes [offset, offset + data.size()) of the content.
bool ContentMatches(std::uint64_t seed, std::uint64_t offset, std::string_view data);

// A stable seed for a name (FNV-1a), so files made by one process can be
// checked by another.
std::uint64_t SeedOf(std::string_view name);

// An upload size: 0 B now and then, mostly small, sometimes a few MB.
std::size_t RandomUploadSize(Rng& rng);

}  // namespace soak
