// What vant-host tells systemd when it runs as a Type=notify service:
// readiness (with its process id, which changes on a graceful restart),
// that it is stopping, and the watchdog's keep-alive. Each call does nothing
// when the host was not started by systemd.
#pragma once

#include <chrono>
#include <optional>

namespace vant::host::http {

void NotifyReady();
void NotifyStopping();
void NotifyWatchdog();

// How often the watchdog wants a keep-alive (half its timeout, so one late
// tick does not end the service); nothing when the watchdog is off.
std::optional<std::chrono::milliseconds> WatchdogPingInterval();

}  // namespace vant::host::http
