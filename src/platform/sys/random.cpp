#include "platform/sys/random.h"

#include <sys/random.h>

#include <cerrno>
#include <cstring>
#include <random>

namespace vant::sys {
namespace {

// Reads exactly `size` bytes from the kernel's random source, retrying on
// interruption and short reads. False when getrandom keeps failing.
bool FillRandom(void* buffer, size_t size) {
  auto* bytes = static_cast<uint8_t*>(buffer);
  size_t done = 0;
  while (done < size) {
    const ssize_t got = getrandom(bytes + done, size - done, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    done += static_cast<size_t>(got);
  }
  return true;
}

// One generator per thread, so no lock is needed; seeded once from the
// kernel so threads (and forked processes' new threads) never share a stream.
std::mt19937& ThreadGenerator() {
  thread_local std::mt19937 generator = [] {
    uint32_t seed[std::mt19937::state_size / 16] = {};
    if (!FillRandom(seed, sizeof seed)) {
      // Without a kernel source fall back on the clock-based device.
      std::random_device device;
      for (auto& word : seed) word = device();
    }
    std::seed_seq sequence(std::begin(seed), std::end(seed));
    return std::mt19937(sequence);
  }();
  return generator;
}

constexpr int kVersionByte = 7;
constexpr int kVariantByte = 8;
constexpr uint8_t kVersion4 = 0x40;
constexpr uint8_t kVariantRfc4122 = 0x80;

}  // namespace

uint32_t Random32() { return static_cast<uint32_t>(ThreadGenerator()()); }

bool NewGuidBytes(uint8_t out[kGuidSize]) {
  uint8_t bytes[kGuidSize];
  if (!FillRandom(bytes, sizeof bytes)) return false;
  // Data3 is stored little-endian, so its high nibble is in byte 7.
  bytes[kVersionByte] = static_cast<uint8_t>((bytes[kVersionByte] & 0x0F) | kVersion4);
  bytes[kVariantByte] = static_cast<uint8_t>((bytes[kVariantByte] & 0x3F) | kVariantRfc4122);
  std::memcpy(out, bytes, sizeof bytes);
  return true;
}

}  // namespace vant::sys
