// Runs translated pages on Duktape, one fresh heap per request.
//
// The page handler prepares a page once per request (PreparePage: translate
// and compile, or take the cached bytecode when neither the page nor any of
// its includes changed), then runs it (RunPage) with the request's objects
// as script globals. Automation objects appear in script as proxies with
// case-insensitive members, default members, properties with arguments,
// Enumerator and VBArray; a failed call raises an Error carrying the error
// record (number, description, message, source).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "host/pages/line_map.h"
#include "host/pages/page_directives.h"
#include "host/pages/source_loader.h"
#include "host/pages/translator.h"
#include "platform/automation/automation.h"

namespace vant::host::pages {

inline constexpr std::size_t kDefaultHeapLimitBytes = std::size_t{256} << 20;
inline constexpr std::size_t kDefaultCachedPages = 256;

// Where and why a page failed: the fields of the classic error page and of
// Server.GetLastError. Text is UTF-8.
struct ScriptError {
  std::string category;     // "JScript runtime error" or "JScript compilation error"
  std::int32_t number = 0;  // the status as a signed 32-bit value (-2147467259)
  std::string source;       // the error record's source (a component's message)
  std::string description;  // the error record's description, or a generic text
  std::string file;         // virtual path of the file at fault ("/inc/a.inc"), "" if unknown
  int line = 0;             // 1-based line in that file; 0 when unknown
  int column = -1;          // not tracked by the engine: always -1
};

// A page ready to run: its bytecode, or the compilation error that stops it.
struct CompiledPage {
  PageDirectives directives;
  std::vector<SourceFile> files;     // [0] the page, then each include
  LineMap lines;                     // script line -> file and line
  std::string bytecode;              // duk_dump_function output; empty on error
  std::optional<ScriptError> error;  // set when the script does not compile
  bool usesPreludes = true;          // false: the script never reaches Enumerator & co.
  bool usesJScriptPrelude = true;    // false: nor ScriptEngine(), getYear, RegExp.$1 & co.
  std::uint64_t serial = 0;  // this compile's own number (0: none); see ReusedHeap::PushPage
};
using CompiledPagePtr = std::shared_ptr<const CompiledPage>;

// A file's modification stamp (any monotonic unit), or nullopt when it is
// gone. The default reads the file system.
using ModifiedTimeFn = std::function<std::optional<std::int64_t>(const std::string& hostPath)>;

inline constexpr unsigned kDefaultHeapReusePages = 1000;

struct ScriptEngineOptions {
  std::size_t heapLimitBytes = kDefaultHeapLimitBytes;  // memory cap of one page's heap
  std::size_t cachedPages = kDefaultCachedPages;        // bytecode cache bound (0: no cache)
  ModifiedTimeFn modifiedTime;                          // empty: file system stamps
  // Pages one worker thread's script heap runs before it is built anew
  // (it is reset between pages); 0 or 1: a new heap for every page.
  unsigned heapReusePages = kDefaultHeapReusePages;
};

using ScriptGlobals = std::vector<std::pair<std::string, ComPtr<IDispatch>>>;

// What one run of a page sees of its request.
struct PageBindings {
  // Script globals by name: Response, Request, Server, Session, Application,
  // ObjectContext… Text output of literal HTML goes to the one named
  // "Response" (its Write member) unless writeLiteral is given.
  ScriptGlobals globals;
  // The first this many globals have the same names on every page: a
  // reused heap defines them once, as part of its pristine state, and each
  // page binds its objects to them.
  std::size_t steadyGlobals = 0;
  // True once Response.End, Redirect or Transfer ended the page; polled
  // after every automation call and by the interrupt check.
  std::function<bool()> endRequested;
  // Server.ScriptTimeout in seconds, re-read after every automation call
  // (the page may change it); <= 0 means no limit. Empty: no limit.
  std::function<int()> scriptTimeoutSeconds;
  // Optional fast path for the page's literal HTML (UTF-8), bypassing
  // Response.Write's late-bound call.
  std::function<void(std::string_view utf8)> writeLiteral;
  // Makes the object for `new ActiveXObject(progId)`, outside the page's
  // object context. Empty: no object can be made that way.
  std::function<HRESULT(std::u16string_view progId, ComPtr<IDispatch>* out)> createObject;
};

enum class ScriptOutcome {
  Completed,  // the script ran to its end
  Ended,      // Response.End / Redirect / Transfer ended it: a normal end
  TimedOut,   // it ran past Server.ScriptTimeout
  Failed,     // an uncaught error, a compilation error or the memory cap; see error
};

struct ScriptResult {
  ScriptOutcome outcome = ScriptOutcome::Completed;
  std::optional<ScriptError> error;  // set for Failed
  // The heap refused an allocation at its cap, whether or not the script
  // caught the error (the host logs it either way).
  bool memoryCapReached = false;
};

class ScriptEngine {
 public:
  explicit ScriptEngine(ScriptEngineOptions options = {});
  ~ScriptEngine();
  ScriptEngine(const ScriptEngine&) = delete;
  ScriptEngine& operator=(const ScriptEngine&) = delete;

  // The page at options.pagePath, compiled. Reuses the process-wide bytecode
  // cache (kept per page and ANSI code page) when the page and every include
  // still have the stamps they had when it was compiled; otherwise
  // translates (through loader) and compiles again. Returns the
  // TranslateError when translation fails; a script that does not compile
  // comes back as a page whose error is set.
  // Thread-safe.
  std::variant<CompiledPagePtr, TranslateError> PreparePage(const SourceLoader& loader,
                                                            const TranslateOptions& options) const;

  // Compiles a translated page without consulting the cache.
  CompiledPagePtr Compile(const TranslatedPage& page) const;

  // Runs a compiled page on a fresh heap. Every object the script received
  // is released before this returns. Thread-safe (one heap per call).
  ScriptResult RunPage(const CompiledPage& page, const PageBindings& context) const;

 private:
  ScriptEngineOptions options_;
};

// The classic error page for a Failed result: category and number (as
// eight hex digits), description, source, file and line; all text escaped.
std::string RenderErrorPage(const ScriptError& error);

// What a client that may not see the details gets instead of the classic
// error page: no message, file or line, which may name server paths or
// hold a database's error text.
std::string RenderGenericErrorPage();

// The page shown when a script ran past its time limit.
std::string RenderTimeoutPage(const std::string& pageVirtualPath);

// Drops every cached page (for tests and configuration reloads).
void ClearPageCache();

// Pages cached now, and lookups since the start that found one current or
// none, for the status page.
struct PageCacheCounts {
  std::size_t entries = 0;
  std::uint64_t hits = 0;
  std::uint64_t misses = 0;
};
PageCacheCounts ReadPageCacheCounts();

}  // namespace vant::host::pages
