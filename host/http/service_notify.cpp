#include "host/http/service_notify.h"

#include <systemd/sd-daemon.h>
#include <unistd.h>

#include <string>

namespace vant::host::http {

void NotifyReady() {
  // MAINPID: after a graceful restart the serving process is the successor,
  // and systemd must follow it (the units set NotifyAccess=all).
  const std::string state = "READY=1\nSTATUS=serving\nMAINPID=" + std::to_string(::getpid());
  (void)sd_notify(0, state.c_str());
}

void NotifyStopping() { (void)sd_notify(0, "STOPPING=1"); }

void NotifyWatchdog() { (void)sd_notify(0, "WATCHDOG=1"); }

std::optional<std::chrono::milliseconds> WatchdogPingInterval() {
  std::uint64_t usec = 0;
  if (sd_watchdog_enabled(0, &usec) <= 0 || usec == 0) return std::nullopt;
  return std::chrono::milliseconds(std::max<std::uint64_t>(1, usec / 2000));
}

}  // namespace vant::host::http
