#include "platform/sys/settings.h"

#include <atomic>
#include <charconv>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <string_view>

#include "platform/sys/code_page.h"

namespace vant::sys {
namespace {

// Every settings object ever installed stays, so a reference CurrentSettings
// handed out earlier never dangles; the host installs once, tests a few
// times.
struct Store {
  std::mutex lock;
  std::deque<Settings> kept;
  std::atomic<const Settings*> current{nullptr};
};

// Never destroyed: threads of other libraries may read the settings while
// the process runs its exit handlers.
Store& TheStore() {
  static Store* const store = new Store;
  return *store;
}

std::string_view Variable(const char* name) {
  const char* text = std::getenv(name);
  return text == nullptr ? std::string_view() : std::string_view(text);
}

// A positive decimal number without sign or blanks; false for anything else.
bool ParsePositive(std::string_view text, std::uint64_t& out) {
  std::uint64_t value = 0;
  const char* const end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end || value == 0) return false;
  out = value;
  return true;
}

bool Valid(const Settings& settings) {
  return settings.ansiCodePage != kCodePageAnsi && IsSupportedCodePage(settings.ansiCodePage) &&
         settings.maxFormParts != 0 && settings.maxFieldSize != 0 && settings.maxImagePixels != 0;
}

}  // namespace

Settings SettingsFromEnvironment() {
  Settings settings;
  (void)ParseFormLimit(Variable(kMaxFormPartsVariable), settings.maxFormParts);
  (void)ParseFormLimit(Variable(kMaxFieldSizeVariable), settings.maxFieldSize);
  (void)ParsePositive(Variable(kMaxImagePixelsVariable), settings.maxImagePixels);
  ScanSettings& scan = settings.scan;
  scan.clamd = std::string(Variable(kClamdVariable));
  scan.infectedOnError = Variable(kClamdOnErrorVariable) != "clean";
  scan.refuseInfected = Variable(kRefuseInfectedVariable) == "1";
  if (std::uint64_t ms = 0; ParsePositive(Variable(kClamdTimeoutVariable), ms)) {
    scan.timeout = std::chrono::milliseconds(ms);
  }
  (void)ParsePositive(Variable(kClamdMaxStreamVariable), scan.maxStream);
  return settings;
}

const Settings& CurrentSettings() {
  Store& store = TheStore();
  if (const Settings* current = store.current.load(std::memory_order_acquire)) return *current;
  const std::lock_guard hold(store.lock);
  if (const Settings* current = store.current.load(std::memory_order_acquire)) return *current;
  const Settings* read = &store.kept.emplace_back(SettingsFromEnvironment());
  store.current.store(read, std::memory_order_release);
  return *read;
}

bool InstallSettings(const Settings& settings) {
  if (!Valid(settings)) return false;
  Store& store = TheStore();
  const std::lock_guard hold(store.lock);
  store.current.store(&store.kept.emplace_back(settings), std::memory_order_release);
  return true;
}

const ScanSettings& GetScanSettings() { return CurrentSettings().scan; }

}  // namespace vant::sys
