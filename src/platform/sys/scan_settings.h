// How uploaded files are scanned for viruses: the clamd daemon to stream
// them to, what a failed scan counts as, and whether infected files may be
// saved. Part of the host's settings (platform/sys/settings.h).
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace vant::sys {

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

// The scan settings of the process: CurrentSettings().scan.
const ScanSettings& GetScanSettings();

}  // namespace vant::sys
