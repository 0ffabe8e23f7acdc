// vant-host: serves a site folder over HTTP, running its .asp pages.
#include <pthread.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "host/app/site_handler.h"
#include "host/http/access_log.h"
#include "host/http/error_page.h"
#include "host/http/host_options.h"
#include "host/http/server.h"
#include "platform/fs/drive_table.h"
#include "platform/sys/ansi_code_page.h"

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
  if (!IsFolder(options.site)) {
    std::cerr << "vant-host: site folder not found: " << options.site << "\n";
    return EXIT_FAILURE;
  }
  // Components loaded in process read the registry named here.
  if (!options.registry.empty()) ::setenv("VANT_REGISTRY", options.registry.c_str(), 1);

  // Drives and the ANSI code page reach the component module through the
  // environment, so they are set before any thread starts.
  vant::fs::ResetDrives();
  for (const DriveMapping& drive : options.drives) vant::fs::SetDrive(drive.letter, drive.hostPath);
  if (!vant::sys::SetAnsiCodePage(options.ansiCodePage)) {
    std::cerr << "vant-host: unsupported --ansi-codepage " << options.ansiCodePage << "\n";
    return EXIT_FAILURE;
  }
  char* root = ::realpath(options.site.c_str(), nullptr);
  vant::host::intrinsics::SiteConfig site;
  site.rootHostPath = root;
  std::free(root);

  const sigset_t signals = StopSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  AccessLog log = options.logFile.empty() ? AccessLog() : AccessLog(options.logFile);
  vant::host::app::SiteHandler pages(site);
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
