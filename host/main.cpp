// vant-host: serves a site folder over HTTP, running its .asp pages.
#include <pthread.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "host/app/site_handler.h"
#include "host/http/access_log.h"
#include "host/http/error_page.h"
#include "host/http/host_options.h"
#include "host/http/server.h"
#include "host/http/socket_faults.h"
#include "platform/fs/drive_table.h"
#include "platform/fs/fault_injection.h"
#include "platform/imaging/pixel_limit.h"
#include "platform/sys/ansi_code_page.h"
#include "platform/sys/form_limits.h"

namespace {

using namespace vant::host::http;

constexpr auto kShutdownGrace = std::chrono::seconds(5);

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// SIGINT and SIGTERM are blocked in every thread and taken by sigwait here.
sigset_t StopSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  return set;
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
  if (std::string problem; !ArmFaultPlan(problem)) {
    std::cerr << "vant-host: " << vant::fs::kFaultPlanVariable << ": " << problem << "\n";
    return EXIT_FAILURE;
  }
  if (!IsFolder(options.site)) {
    std::cerr << "vant-host: site folder not found: " << options.site << "\n";
    return EXIT_FAILURE;
  }
  // Components loaded in process read the registry named here.
  if (!options.registry.empty()) ::setenv("VANT_REGISTRY", options.registry.c_str(), 1);

  // Drives, the image size and upload form limits and the ANSI code page reach
  // the component module through the environment, so they are set before any
  // thread starts.
  vant::fs::ResetDrives();
  for (const DriveMapping& drive : options.drives) vant::fs::SetDrive(drive.letter, drive.hostPath);
  if (options.maxImagePixels) {
    ::setenv(vant::imaging::kMaxImagePixelsVariable,
             std::to_string(*options.maxImagePixels).c_str(), 1);
  }
  if (options.maxFormParts) {
    ::setenv(vant::sys::kMaxFormPartsVariable, std::to_string(*options.maxFormParts).c_str(), 1);
  }
  if (options.maxFieldSize) {
    ::setenv(vant::sys::kMaxFieldSizeVariable, std::to_string(*options.maxFieldSize).c_str(), 1);
  }
  if (!vant::sys::SetAnsiCodePage(options.ansiCodePage)) {
    std::cerr << "vant-host: unsupported --ansi-codepage " << options.ansiCodePage << "\n";
    return EXIT_FAILURE;
  }
  char* root = ::realpath(options.site.c_str(), nullptr);
  vant::host::intrinsics::SiteConfig site;
  site.rootHostPath = root;
  site.maxInputVars = options.maxInputVars;
  std::free(root);

  const sigset_t signals = StopSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  AccessLog log = options.logFile.empty() ? AccessLog() : AccessLog(options.logFile);
  vant::host::pages::ScriptEngineOptions engine;
  engine.heapReusePages = options.heapReuse;
  vant::host::app::SiteHandler pages(site, {options.detailedErrors, options.uploadFolders},
                                     std::move(engine));
  Server server(options, pages, log);
  std::string error;
  if (!server.Start(error)) {
    std::cerr << "vant-host: " << error << "\n";
    return EXIT_FAILURE;
  }
  std::cout << "vant-host serving " << options.site << " on " << server.Url() << std::endl;

  int signal = 0;
  sigwait(&signals, &signal);
  std::cerr << "vant-host: stopping\n";
  if (!server.Stop(kShutdownGrace)) {
    std::cerr << "vant-host: requests still running after the grace period, exiting\n";
    std::_Exit(EXIT_FAILURE);
  }
  return EXIT_SUCCESS;
}
