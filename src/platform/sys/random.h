// Random numbers and random GUIDs, safe to call from any thread. Every draw
// comes from the kernel's cryptographic random source (getrandom), so
// session ids, temporary names and other values a client must not guess can
// use any of them; no draw can be predicted from earlier ones.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vant::sys {

// Size of a GUID in bytes.
inline constexpr int kGuidSize = 16;

// Fills `out` with `size` bytes from the kernel's random source. Bytes are
// served from a small per-thread buffer that one kernel call refills, so
// asking for a few bytes at a time costs no system call each. Returns false
// only when the kernel source fails; `out` may then hold part of a draw.
bool RandomBytes(void* out, std::size_t size);

// A uniformly distributed 32-bit number from RandomBytes, or false when the
// kernel source fails (it does not on a working Linux). Code that reports a
// status (temporary names, ...) uses this one and fails with EIO.
bool TryRandom32(uint32_t* value);

// The same, but throws std::system_error when the kernel source fails: only
// for callers behind member boundaries that turn an exception into a failure.
uint32_t Random32();

// Fills `out` with a new version-4 (random) GUID in the in-memory GUID
// layout: Data1 (4 bytes), Data2 and Data3 (2 bytes each) little-endian, then
// the 8 bytes of Data4. So out[7] >> 4 == 4 (version) and out[8] >> 6 == 2
// (variant). Returns false only when the kernel's random source fails; `out`
// is then left untouched.
bool NewGuidBytes(uint8_t out[kGuidSize]);

// The kernel call behind every draw: fills all `size` bytes or returns
// false. Tests install a source of their own to prove that a value is drawn
// from it; production code never calls this.
using KernelRandomSource = bool (*)(void* buffer, std::size_t size);

// Makes `source` (nullptr: the kernel again) the source of every later draw
// in the process, dropping the bytes every thread has buffered, and returns
// the source it replaced. Call it while no other thread draws.
KernelRandomSource ReplaceKernelRandomSource(KernelRandomSource source);

}  // namespace vant::sys
