// vant-host: serves a site folder over HTTP, running its .asp pages.
#include <pthread.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "host/http/access_log.h"
#include "host/http/error_page.h"
#include "host/http/host_options.h"
#include "host/http/server.h"

namespace {

using namespace vant::host::http;

constexpr auto kShutdownGrace = std::chrono::seconds(5);

// Stands in for the page engine until it is linked in.
class NoPageEngine final : public PageHandler {
 public:
  void Serve(Exchange& exchange, const std::string&, const std::string& virtualPath) override {
    exchange.SetStatus(StatusLine(Status::not_implemented));
    exchange.SetContentType("text/html; charset=utf-8");
    exchange.Write("<html><body><h1>501 Not Implemented</h1><p>The page engine is not built "
                   "into this vant-host yet, so " +
                   virtualPath + " cannot run.</p></body></html>\n");
  }
};

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

  const sigset_t signals = StopSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  AccessLog log = options.logFile.empty() ? AccessLog() : AccessLog(options.logFile);
  NoPageEngine pages;
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
