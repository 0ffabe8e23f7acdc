// Shared by the page tests: an in-memory file loader and a small script
// runner that executes translated pages with a Response that records output.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "duktape.h"
#include "host/pages/script_interrupt.h"
#include "host/pages/source_loader.h"

namespace vant::host::pages::testing {

class MemoryLoader final : public SourceLoader {
 public:
  std::optional<std::string> Load(const std::string& hostPath) const override {
    loads.push_back(hostPath);
    const auto it = files.find(hostPath);
    if (it == files.end()) return std::nullopt;
    return it->second;
  }

  std::map<std::string, std::string> files;  // host path -> bytes
  mutable std::vector<std::string> loads;
};

struct RunResult {
  bool ok = false;
  std::string output;  // what Response.Write received, joined
  std::string error;   // String(error) when !ok
  int errorLine = 0;   // error.lineNumber when !ok
};

// One heap per script, as the host runs one per request.
class ScriptRunner {
 public:
  explicit ScriptRunner(ScriptInterrupt* interrupt = nullptr)
      : ctx_(duk_create_heap(nullptr, nullptr, nullptr, interrupt, &Fatal)) {}
  ~ScriptRunner() { duk_destroy_heap(ctx_); }
  ScriptRunner(const ScriptRunner&) = delete;
  ScriptRunner& operator=(const ScriptRunner&) = delete;

  // Evaluates setup code; aborts the test on failure.
  void Define(const std::string& code) {
    if (duk_peval_lstring(ctx_, code.data(), code.size()) != 0) {
      (void)std::fprintf(stderr, "setup failed: %s\n", duk_safe_to_string(ctx_, -1));
      std::abort();
    }
    duk_pop(ctx_);
  }

  // Compiles and runs script with a Response.Write that records output.
  RunResult Run(const std::string& script) {
    Define("var __out = []; var Response = { Write: function (x) { __out.push(String(x)); } };");
    RunResult result;
    duk_push_string(ctx_, "page.js");
    if (duk_pcompile_lstring_filename(ctx_, 0, script.data(), script.size()) == 0 &&
        duk_pcall(ctx_, 0) == 0) {
      result.ok = true;
    } else {
      result.errorLine = ErrorLine();
      result.error = duk_safe_to_string(ctx_, -1);
    }
    duk_pop(ctx_);
    result.output = Eval("__out.join('')");
    return result;
  }

  // String(value of expression).
  std::string Eval(const std::string& expression) {
    if (duk_peval_lstring(ctx_, expression.data(), expression.size()) != 0) {
      return "<error: " + std::string(duk_safe_to_string(ctx_, -1)) + ">";
    }
    duk_size_t length = 0;
    const char* bytes = duk_safe_to_lstring(ctx_, -1, &length);
    std::string value(bytes, length);
    duk_pop(ctx_);
    return value;
  }

 private:
  static void Fatal(void*, const char* message) {
    (void)std::fprintf(stderr, "duktape fatal: %s\n", message);
    std::abort();
  }

  // lineNumber of the error on the stack top, 0 when it has none.
  int ErrorLine() {
    if (!duk_is_object(ctx_, -1)) return 0;
    duk_get_prop_string(ctx_, -1, "lineNumber");
    const int line = duk_is_number(ctx_, -1) ? duk_get_int(ctx_, -1) : 0;
    duk_pop(ctx_);
    return line;
  }

  duk_context* ctx_;
};

}  // namespace vant::host::pages::testing
