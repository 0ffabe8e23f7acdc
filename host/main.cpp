// vant-host: serves a site folder over HTTP, running its .asp pages.
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "host/app/site_handler.h"
#include "host/http/access_log.h"
#include "host/http/error_page.h"
#include "host/http/host_options.h"
#include "host/http/listener_handover.h"
#include "host/http/server.h"
#include "host/http/service_notify.h"
#include "host/http/socket_faults.h"
#include "platform/fs/drive_table.h"
#include "platform/fs/fault_injection.h"
#include "platform/sys/settings.h"

namespace {

using namespace vant::host::http;

constexpr const char kStatePasswordVariable[] = "VANT_STATE_PASSWORD";
constexpr auto kShutdownGrace = std::chrono::seconds(5);
// How long a graceful restart waits for the new process to serve.
constexpr auto kSuccessorStartLimit = std::chrono::seconds(30);
constexpr auto kResponsiveLimit = std::chrono::seconds(5);

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// SIGINT and SIGTERM (stop), SIGHUP (reopen the logs, re-read the config)
// and SIGUSR2 (graceful restart) are blocked in every thread and taken by
// sigwait here.
sigset_t HandledSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGUSR2}) sigaddset(&set, signal);
  return set;
}

// Sends this process's stderr to path (appending); empty keeps it.
bool RedirectErrors(const std::string& path) {
  if (path.empty()) return true;
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0640);
  if (fd < 0) return false;
  ::dup2(fd, STDERR_FILENO);
  ::close(fd);
  return true;
}

// The program a graceful restart starts: the file argv[0] names (made
// absolute, symbolic links kept), so an upgraded binary takes over.
std::string ProgramPath(const char* argv0) {
  const std::string_view name(argv0);
  if (name.starts_with('/')) return std::string(name);
  if (name.find('/') != std::string_view::npos) {
    if (char* cwd = ::getcwd(nullptr, 0)) {
      std::string out = std::string(cwd) + "/" + std::string(name);
      std::free(cwd);
      return out;
    }
  }
  char buffer[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string(name);
}

// SIGHUP: the log files are reopened (at the paths the config file names
// now); the other settings wait for a graceful restart.
void Reload(int argc, char** argv, AccessLog& log) {
  const OptionsResult parsed = ParseHostOptions(argc, argv);
  if (!parsed.ok()) {
    std::cerr << "vant-host: SIGHUP: " << parsed.error << "; keeping the current settings\n";
    return;
  }
  if (!RedirectErrors(parsed.options.errorLogFile))
    std::cerr << "vant-host: SIGHUP: cannot open " << parsed.options.errorLogFile << "\n";
  if (!log.Reopen(parsed.options.logFile))
    std::cerr << "vant-host: SIGHUP: cannot open " << parsed.options.logFile << "\n";
  std::cerr << "vant-host: SIGHUP: logs reopened" << std::endl;
}

// Takes the next handled signal; when the watchdog is on, sends its
// keep-alive meanwhile as long as the server answers.
int NextSignal(const sigset_t& signals, Server& server) {
  const auto interval = WatchdogPingInterval();
  for (;;) {
    if (!interval) {
      int signal = 0;
      if (sigwait(&signals, &signal) == 0) return signal;
      continue;
    }
    const timespec wait{static_cast<time_t>(interval->count() / 1000),
                        static_cast<long>(interval->count() % 1000) * 1'000'000};
    const int signal = sigtimedwait(&signals, nullptr, &wait);
    if (signal > 0) return signal;
    if (errno == EAGAIN && server.Responsive(kResponsiveLimit)) NotifyWatchdog();
  }
}

// Arms the file and socket faults a test asked for in VANT_FAULTS (unset in
// production). False, with the reason, when the plan is malformed or names
// an unknown kind, so a mistyped test fails loudly instead of passing.
bool ArmFaultPlan(std::string& problem) {
  const char* plan = std::getenv(vant::fs::kFaultPlanVariable);
  if (plan == nullptr || *plan == '\0') return true;
  std::vector<vant::fs::FaultItem> items;
  if (!vant::fs::FaultInjection::ParsePlan(plan, items, problem)) return false;
  for (const vant::fs::FaultItem& item : items) {
    if (vant::fs::FaultInjection::Arm(item) || SocketFaults::Arm(item)) continue;
    problem = "unknown fault kind \"" + item.kind + "\"";
    return false;
  }
  std::cerr << "vant-host: faults armed: " << plan << "\n";
  return true;
}

// The state store's password: the first line of `file` when one is named,
// else $VANT_STATE_PASSWORD, else none. False when the file cannot be read.
bool ReadStatePassword(const std::string& file, std::string& password) {
  if (file.empty()) {
    const char* variable = std::getenv(kStatePasswordVariable);
    password = variable == nullptr ? "" : variable;
    return true;
  }
  std::ifstream in(file);
  if (!in) return false;
  std::getline(in, password);
  if (!password.empty() && password.back() == '\r') password.pop_back();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const OptionsResult parsed = ParseHostOptions(argc, argv);
  if (parsed.options.help) {
    std::cout << HostUsage(argv[0]);
    return EXIT_SUCCESS;
  }
  if (!parsed.ok()) {
    std::cerr << "vant-host: " << parsed.error << "\n\n" << HostUsage(argv[0]);
    return EXIT_FAILURE;
  }
  const HostOptions& options = parsed.options;
  if (!RedirectErrors(options.errorLogFile)) {
    std::cerr << "vant-host: cannot open " << options.errorLogFile << "\n";
    return EXIT_FAILURE;
  }
  if (std::string problem; !ArmFaultPlan(problem)) {
    std::cerr << "vant-host: " << vant::fs::kFaultPlanVariable << ": " << problem << "\n";
    return EXIT_FAILURE;
  }
  if (!IsFolder(options.site)) {
    std::cerr << "vant-host: site folder not found: " << options.site << "\n";
    return EXIT_FAILURE;
  }
  // The settings the components read: the process environment's, with the
  // options given here in their place. One object in the shared platform
  // runtime, installed before any thread starts.
  vant::sys::Settings settings = vant::sys::SettingsFromEnvironment();
  settings.registryPath = options.registry;
  settings.ansiCodePage = options.ansiCodePage;
  settings.progressLeaseMs = static_cast<std::uint32_t>(options.progressLease.count());
  if (options.maxImagePixels) settings.maxImagePixels = *options.maxImagePixels;
  if (options.maxFormParts) settings.maxFormParts = *options.maxFormParts;
  if (options.maxFieldSize) settings.maxFieldSize = *options.maxFieldSize;
  if (!options.clamd.empty()) {
    settings.scan.clamd = options.clamd;
    settings.scan.infectedOnError = options.clamdInfectedOnError;
    settings.scan.timeout = options.clamdTimeout;
    settings.scan.maxStream = options.clamdMaxStream;
  }
  if (options.refuseInfected) settings.scan.refuseInfected = true;
  settings.stateUrl = options.stateUrl;
  if (!ReadStatePassword(options.statePasswordFile, settings.statePassword)) {
    std::cerr << "vant-host: cannot read " << options.statePasswordFile << "\n";
    return EXIT_FAILURE;
  }
  if (!vant::sys::InstallSettings(settings)) {
    std::cerr << "vant-host: unsupported --ansi-codepage " << options.ansiCodePage << "\n";
    return EXIT_FAILURE;
  }
  vant::fs::ResetDrives();
  for (const DriveMapping& drive : options.drives) vant::fs::SetDrive(drive.letter, drive.hostPath);
  char* root = ::realpath(options.site.c_str(), nullptr);
  vant::host::intrinsics::SiteConfig site;
  site.rootHostPath = root;
  site.maxInputVars = options.maxInputVars;
  std::free(root);

  const sigset_t signals = HandledSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  const int inherited = InheritedListeningSocket();

  AccessLog log = options.logFile.empty() ? AccessLog() : AccessLog(options.logFile);
  vant::host::pages::ScriptEngineOptions engine;
  engine.heapReusePages = options.heapReuse;
  vant::host::app::SiteHandler pages(site, {options.detailedErrors, options.uploadFolders},
                                     std::move(engine));
  Server server(options, pages, log);
  if (inherited >= 0) server.UseListeningSocket(inherited);
  std::string error;
  if (!server.Start(error)) {
    std::cerr << "vant-host: " << error << "\n";
    return EXIT_FAILURE;
  }
  std::cout << "vant-host serving " << options.site << " on " << server.Url() << std::endl;
  // systemd learns the new main process id before the old process may exit.
  NotifyReady();
  TellPredecessorReady();

  const std::string program = ProgramPath(argv[0]);
  auto grace = std::chrono::milliseconds(kShutdownGrace);
  for (;;) {
    const int signal = NextSignal(signals, server);
    if (signal == SIGHUP) {
      Reload(argc, argv, log);
      continue;
    }
    if (signal == SIGUSR2) {
      const Successor next = StartSuccessor(program, std::vector<std::string>(argv, argv + argc),
                                            server.ListeningSocket(), kSuccessorStartLimit);
      if (!next.error.empty()) {
        std::cerr << "vant-host: graceful restart failed, still serving: " << next.error << "\n";
        continue;
      }
      // Running requests (uploads) may take as long as any request may.
      std::cerr << "vant-host: graceful restart: process " << next.pid
                << " serves now; finishing the running requests" << std::endl;
      grace = options.requestTimeout + kShutdownGrace;
      break;
    }
    NotifyStopping();
    break;
  }
  std::cerr << "vant-host: stopping\n";
  if (!server.Stop(grace)) {
    std::cerr << "vant-host: requests still running after the grace period, exiting\n";
    std::_Exit(EXIT_FAILURE);
  }
  return EXIT_SUCCESS;
}
