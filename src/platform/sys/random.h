// Random numbers and random GUIDs, safe to call from any thread.
#pragma once

#include <cstdint>

namespace vant::sys {

// Size of a GUID in bytes.
inline constexpr int kGuidSize = 16;

// A uniformly distributed 32-bit random number from a per-thread generator
// seeded from the kernel's random source. Never fails.
uint32_t Random32();

// Fills `out` with a new version-4 (random) GUID in the in-memory GUID
// layout: Data1 (4 bytes), Data2 and Data3 (2 bytes each) little-endian, then
// the 8 bytes of Data4. So out[7] >> 4 == 4 (version) and out[8] >> 6 == 2
// (variant). Returns false only when the kernel's random source fails; `out`
// is then left untouched.
bool NewGuidBytes(uint8_t out[kGuidSize]);

}  // namespace vant::sys
