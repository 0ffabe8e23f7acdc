// How uploaded files are scanned for viruses: the clamd daemon to stream
// them to, what a failed scan counts as, and whether infected files may be
// saved. The host sets these from its options; the component module reads
// them once from the environment, like the other host settings.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace vant::sys {

// Environment variables that carry the settings to every copy of this
// library in the process (the host sets them from --clamd,
// --clamd-on-error, --refuse-infected, --clamd-timeout, --clamd-max-stream).
inline constexpr const char kClamdVariable[] = "VANT_CLAMD";
inline constexpr const char kClamdOnErrorVariable[] = "VANT_CLAMD_ON_ERROR";
inline constexpr const char kRefuseInfectedVariable[] = "VANT_REFUSE_INFECTED";
// The timeout travels in milliseconds.
inline constexpr const char kClamdTimeoutVariable[] = "VANT_CLAMD_TIMEOUT";
inline constexpr const char kClamdMaxStreamVariable[] = "VANT_CLAMD_MAX_STREAM";

// clamd's own default StreamMaxLength.
inline constexpr std::uint64_t kDefaultClamdMaxStream = 25ull << 20;
inline constexpr std::chrono::seconds kDefaultClamdTimeout{120};

struct ScanSettings {
  std::string clamd;            // "unix:PATH" or "tcp:HOST:PORT"; empty: no scanning
  bool infectedOnError = true;  // a failed scan marks the file infected
  bool refuseInfected = false;  // saving an infected file fails
  // Longest time one file's scan may spend waiting for clamd, in total.
  std::chrono::milliseconds timeout = kDefaultClamdTimeout;
  // Most bytes clamd accepts in one stream (its StreamMaxLength).
  std::uint64_t maxStream = kDefaultClamdMaxStream;
};

// The settings: read from the environment on the first call, cached after.
// A malformed variable keeps that setting's default.
const ScanSettings& GetScanSettings();

// Forgets the cached settings so the next call reads the environment again:
// for tests that change the variables.
void RereadScanSettings();

}  // namespace vant::sys
