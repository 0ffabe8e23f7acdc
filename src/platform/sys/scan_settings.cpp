#include "platform/sys/scan_settings.h"

#include <charconv>
#include <cstdlib>
#include <memory>
#include <mutex>

namespace vant::sys {
namespace {

std::mutex g_lock;
std::unique_ptr<ScanSettings> g_settings;

std::string_view Variable(const char* name) {
  const char* text = std::getenv(name);
  return text == nullptr ? std::string_view() : std::string_view(text);
}

// A positive decimal number; false for anything else.
bool ParsePositive(std::string_view text, std::uint64_t& out) {
  std::uint64_t value = 0;
  const char* const end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end || value == 0) return false;
  out = value;
  return true;
}

ScanSettings ReadSettings() {
  ScanSettings settings;
  settings.clamd = std::string(Variable(kClamdVariable));
  settings.infectedOnError = Variable(kClamdOnErrorVariable) != "clean";
  settings.refuseInfected = Variable(kRefuseInfectedVariable) == "1";
  if (std::uint64_t ms = 0; ParsePositive(Variable(kClamdTimeoutVariable), ms)) {
    settings.timeout = std::chrono::milliseconds(ms);
  }
  (void)ParsePositive(Variable(kClamdMaxStreamVariable), settings.maxStream);
  return settings;
}

}  // namespace

const ScanSettings& GetScanSettings() {
  const std::lock_guard<std::mutex> hold(g_lock);
  if (!g_settings) g_settings = std::make_unique<ScanSettings>(ReadSettings());
  return *g_settings;
}

void RereadScanSettings() {
  const std::lock_guard<std::mutex> hold(g_lock);
  g_settings.reset();
}

}  // namespace vant::sys
