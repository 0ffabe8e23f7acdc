// vant_soak: the load client of the soak test.
//
//   vant_soak make-files SITE IMAGES_DIR   lay out the site's data folders
//   vant_soak run URL SECONDS CLIENTS [SEED]
//
// `run` exits 0 when every request answered as it should and the final
// checks passed, 1 otherwise, 2 on bad arguments, 3 when the host got stuck.
#include <cstdio>
#include <string>

#include "load.h"
#include "make_files.h"

namespace {

constexpr int kBadArguments = 2;

bool ParseUrl(const std::string& url, soak::Endpoint& out) {
  const std::string prefix = "http://";
  if (url.rfind(prefix, 0) != 0) return false;
  const std::string rest = url.substr(prefix.size());
  const auto colon = rest.rfind(':');
  if (colon == std::string::npos) return false;
  out.host = rest.substr(0, colon);
  try {
    const int port = std::stoi(rest.substr(colon + 1));
    if (port <= 0 || port > 65535) return false;
    out.port = static_cast<std::uint16_t>(port);
  } catch (const std::exception&) {
    return false;
  }
  return true;
}

int Usage() {
  std::fprintf(stderr,
               "usage: vant_soak make-files SITE IMAGES_DIR\n"
               "       vant_soak run URL SECONDS CLIENTS [SEED]\n");
  return kBadArguments;
}

int Run(int argc, char** argv) {
  soak::LoadOptions options;
  if (argc < 5 || !ParseUrl(argv[2], options.endpoint)) return Usage();
  try {
    options.seconds = std::stod(argv[3]);
    options.clients = std::stoi(argv[4]);
    if (argc > 5) options.seed = std::stoull(argv[5]);
  } catch (const std::exception&) {
    return Usage();
  }
  if (options.seconds <= 0 || options.clients <= 0) return Usage();
  return soak::RunLoad(options);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string mode = argv[1];
  if (mode == "run") return Run(argc, argv);
  if (mode != "make-files" || argc != 4) return Usage();
  const std::string error = soak::MakeSiteFiles(argv[2], argv[3]);
  if (error.empty()) return 0;
  std::fprintf(stderr, "vant_soak: %s\n", error.c_str());
  return 1;
}
