// The host's settings for the code in its process: one typed object in the
// shared platform runtime, which the host fills at start-up and the
// components read. Host and components see the same object because the
// runtime is loaded once (libvantauto.so), so nothing travels through the
// environment between them.
#pragma once

#include <cstdint>
#include <string>

#include "platform/sys/ansi_code_page.h"
#include "platform/sys/form_limits.h"
#include "platform/sys/scan_settings.h"

namespace vant::sys {

// The largest image (width × height) the image processor decodes or creates.
inline constexpr std::uint64_t kDefaultMaxImagePixels = 100'000'000;

// Variables a host other than vant-host (or an administrator) may set for a
// process; read once, when the settings are first needed and no host
// installed its own. vant-host starts from them too and lets its options
// replace them.
inline constexpr const char kMaxFormPartsVariable[] = "VANT_MAX_FORM_PARTS";
inline constexpr const char kMaxFieldSizeVariable[] = "VANT_MAX_FIELD_SIZE";
inline constexpr const char kMaxImagePixelsVariable[] = "VANT_MAX_IMAGE_PIXELS";
inline constexpr const char kClamdVariable[] = "VANT_CLAMD";
inline constexpr const char kClamdOnErrorVariable[] = "VANT_CLAMD_ON_ERROR";
inline constexpr const char kRefuseInfectedVariable[] = "VANT_REFUSE_INFECTED";
// The timeout is given in milliseconds.
inline constexpr const char kClamdTimeoutVariable[] = "VANT_CLAMD_TIMEOUT";
inline constexpr const char kClamdMaxStreamVariable[] = "VANT_CLAMD_MAX_STREAM";

struct Settings {
  // The registry file; empty: $VANT_REGISTRY, else the default file (see
  // registry::CurrentRegistryPath).
  std::string registryPath;
  // The code page that code page 0 stands for; never 0.
  std::uint32_t ansiCodePage = kDefaultAnsiCodePage;
  // With shared state: how long the progress record of a running upload
  // outlives the last write of its host, which renews it every third of
  // this; so the record of a host that died goes away.
  std::uint32_t progressLeaseMs = 30'000;
  // The most parts one multipart form may have.
  std::uint32_t maxFormParts = kDefaultMaxFormParts;
  // The most bytes one field (non-file) part may hold.
  std::uint32_t maxFieldSize = kDefaultMaxFieldSize;
  std::uint64_t maxImagePixels = kDefaultMaxImagePixels;
  ScanSettings scan;
  // Where state shared by several hosts lives (sessions, Application,
  // upload progress, cache removals): "redis://HOST:PORT[/DB]" or
  // "unix:/PATH[?db=N]"; empty keeps it all in this process.
  std::string stateUrl;
  // The password of that store (AUTH); empty: none.
  std::string statePassword;
};

// The defaults, with each variable above that is set and valid in its
// place (a malformed one keeps the default).
Settings SettingsFromEnvironment();

// The settings in force: the ones installed last, else
// SettingsFromEnvironment() as read at the first call. The reference stays
// valid for the life of the process; a later InstallSettings does not change
// what it refers to.
const Settings& CurrentSettings();

// Makes `settings` the settings of the process. Call at start-up, before
// other threads read them (tests may install others between cases). Returns
// false, changing nothing, when the ANSI code page is 0 or not supported or
// a limit is 0.
bool InstallSettings(const Settings& settings);

}  // namespace vant::sys
