// vant-regsvr: registers or removes a component module.
//
//   vant-regsvr [-u] [--registry FILE] MODULE.so
//
// Loads the module and calls its DllRegisterServer (or, with -u,
// DllUnregisterServer) against the registry file given with --registry, else
// $VANT_REGISTRY, else the default. Prints the outcome with the status in hex;
// exits 0 on success and 1 on any failure.
#include <dlfcn.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "module/module_exports.h"
#include "platform/registry/registry_path.h"
#include "platform/sys/settings.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;

struct Options {
  bool unregister = false;
  std::string registry;
  std::string module;
};

void PrintUsage() {
  std::fprintf(stderr,
               "usage: vant-regsvr [-u] [--registry FILE] MODULE.so\n"
               "  -u               remove the module's registration instead of writing it\n"
               "  --registry FILE  registry file to change (default: $VANT_REGISTRY, else %s)\n",
               vant::registry::kDefaultRegistryPath);
}

bool ParseOptions(int argc, char** argv, Options* out) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "-u" || arg == "/u") {
      out->unregister = true;
    } else if (arg == "--registry" && i + 1 < argc) {
      out->registry = argv[++i];
    } else if (arg.starts_with("--registry=")) {
      out->registry = std::string(arg.substr(std::string_view("--registry=").size()));
    } else if (!arg.empty() && arg.front() != '-' && out->module.empty()) {
      out->module = std::string(arg);
    } else {
      return false;
    }
  }
  return !out->module.empty();
}

// Owns the loaded module.
class LoadedModule {
 public:
  explicit LoadedModule(const std::string& path)
      // A bare file name would be searched on the library path; mean the file here.
      : handle_(dlopen((path.find('/') == std::string::npos ? "./" + path : path).c_str(),
                       RTLD_NOW | RTLD_LOCAL)) {}
  ~LoadedModule() {
    if (handle_ != nullptr) dlclose(handle_);
  }
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  bool ok() const { return handle_ != nullptr; }
  void* Find(const char* name) const { return dlsym(handle_, name); }

 private:
  void* handle_;
};

int Run(const Options& options) {
  // The module's registration writes the registry of the process settings.
  vant::sys::Settings settings = vant::sys::CurrentSettings();
  settings.registryPath = options.registry;
  (void)vant::sys::InstallSettings(settings);
  const LoadedModule module(options.module);
  if (!module.ok()) {
    std::fprintf(stderr, "vant-regsvr: cannot load %s: %s\n", options.module.c_str(), dlerror());
    return kExitFailed;
  }
  const char* entry =
      options.unregister ? vant::frame::kDllUnregisterServer : vant::frame::kDllRegisterServer;
  const auto call = reinterpret_cast<vant::frame::DllRegisterServerFn>(module.Find(entry));
  if (call == nullptr) {
    std::fprintf(stderr, "vant-regsvr: %s has no entry point %s\n", options.module.c_str(), entry);
    return kExitFailed;
  }
  const vant::HRESULT hr = call();
  const auto status = static_cast<std::uint32_t>(hr);
  if (vant::Failed(hr)) {
    std::fprintf(stderr, "%s in %s failed with status 0x%08X\n", entry, options.module.c_str(),
                 status);
    return kExitFailed;
  }
  std::printf("%s in %s succeeded (status 0x%08X)\n", entry, options.module.c_str(), status);
  return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    PrintUsage();
    return kExitFailed;
  }
  return Run(options);
}
