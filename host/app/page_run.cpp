#include "host/app/page_run.h"

#include <ctime>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "host/app/site_handler.h"
#include "host/http/error_page.h"
#include "platform/automation/automation.h"

namespace vant::host::app {
namespace {

using pages::ScriptOutcome;

constexpr const char* kInternalError = "500 Internal Server Error";
constexpr HRESULT kPageFailed = E_FAIL;

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The value of the first cookie named `name` (exact, case-sensitive match as
// browsers send it), or nullopt when the header holds none. Several Cookie
// headers arrive joined with ", "; both separators split.
std::optional<std::string> FindCookie(std::string_view cookieHeader, std::string_view name) {
  while (!cookieHeader.empty()) {
    const std::size_t end = cookieHeader.find_first_of(";,");
    const std::string_view pair = TrimBlanks(cookieHeader.substr(0, end));
    cookieHeader =
        end == std::string_view::npos ? std::string_view() : cookieHeader.substr(end + 1);
    const std::size_t eq = pair.find('=');
    if (eq == std::string_view::npos) continue;
    if (TrimBlanks(pair.substr(0, eq)) == name) return std::string(TrimBlanks(pair.substr(eq + 1)));
  }
  return std::nullopt;
}

// Request, Response, Server and Application: every page has them.
constexpr std::size_t kSteadyGlobals = 4;

pages::ScriptGlobals GlobalsOf(const intrinsics::Intrinsics& objects) {
  pages::ScriptGlobals globals;
  globals.reserve(kSteadyGlobals + 1);
  globals.emplace_back("Request", objects.request);
  globals.emplace_back("Response", objects.response);
  globals.emplace_back("Server", objects.server);
  globals.emplace_back("Application", objects.application);
  // A page without session state has no Session object at all.
  if (objects.session) globals.emplace_back("Session", objects.session);
  return globals;
}

std::string OneLine(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  return out;
}

// One error-log line naming when, which page and which request (method,
// target, client as the access log has them), so it can be matched with
// the request's access-log line; control bytes never split it.
void LogPageError(const http::RequestHead& request, std::string_view page, std::string_view what) {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  gmtime_r(&now, &tm);
  char when[32];
  std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%SZ", &tm);
  std::cerr << "vant-host: " << when << " page " << OneLine(page) << " request \""
            << OneLine(request.method) << " " << OneLine(request.target) << "\" from "
            << request.remote.address << ": " << OneLine(what) << "\n";
}

intrinsics::PageError ToPageError(const pages::ScriptError& error) {
  intrinsics::PageError out;
  out.number = error.number;
  out.category = Utf8ToUtf16(error.category);
  out.source = Utf8ToUtf16(error.source);
  out.description = Utf8ToUtf16(error.description);
  out.file = Utf8ToUtf16(error.file);
  out.line = error.line;
  out.column = error.column;
  return out;
}

// Hands a failure of a nested page to the calling script's error record.
HRESULT FailWith(const std::string& description) {
  ComPtr<ICreateErrorInfo> record;
  if (Succeeded(CreateErrorInfo(record.Receive()))) {
    record->SetSource(Bstr(u"Server"));
    record->SetDescription(Bstr(Utf8ToUtf16(description)));
    ComPtr<IErrorInfo> info;
    if (Succeeded(record.As(IID_IErrorInfo, &info))) SetErrorInfo(0, info.get());
  }
  return kPageFailed;
}

// Replaces what the page wrote with `html` when nothing went out yet;
// otherwise appends it, which is all that can be done then.
void SendFailurePage(http::Exchange& exchange, const std::string& html) {
  if (!exchange.HeadersSent()) {
    exchange.Clear();
    exchange.SetStatus(kInternalError);
    exchange.SetContentType("text/html; charset=utf-8");
  }
  exchange.Write(html);
}

}  // namespace

PageRun::PageRun(SiteHandler& site, http::Exchange& exchange) : site_(site), exchange_(exchange) {}

PageRun::~PageRun() = default;

void PageRun::Serve(const std::string& virtualPath, std::optional<std::int64_t> stamp) {
  auto prepared = site_.Prepare(virtualPath, stamp);
  if (auto* error = std::get_if<pages::TranslateError>(&prepared)) {
    ShowTranslateError(*error);
    return;
  }
  const pages::CompiledPagePtr compiled = std::get<pages::CompiledPagePtr>(prepared);
  session::SessionLease lease = TakeSession(*compiled);
  // A session the store could not make is not announced: no cookie, no
  // Session_OnStart; the page fails only if it uses Session.
  const bool newSession = lease && lease.IsNew() && lease->Unreachable().empty();
  std::string sessionKey = SessionKey(lease);
  const intrinsics::RequestedPage info{
      virtualPath, compiled->directives.codePage.value_or(0),
      static_cast<std::int32_t>(compiled->directives.lcid.value_or(0))};
  page_ = intrinsics::PageIntrinsics::Create(exchange_, site_.Site(), info, std::move(lease),
                                             site_.Application(), this);
  page_->SetSessionKey(std::move(sessionKey));
  RunGlobalEvents(newSession);
  if (!page_->EndRequested()) {
    const pages::ScriptResult result = Run(*compiled);
    ShowFailure(virtualPath, result);
  }
  // Ends the page on this thread: OnEndPage and release of every object the
  // page created, the session given back, the response finished.
  page_->EndPage();
  page_.reset();
}

session::SessionLease PageRun::TakeSession(const pages::CompiledPage& page) {
  if (!page.directives.sessionState) return {};
  session::Sessions& store = site_.Sessions();
  const std::string cookies = exchange_.Request().Header("Cookie").value_or("");
  return store.Begin(FindCookie(cookies, store.CookieName()).value_or(""));
}

std::string PageRun::SessionKey(const session::SessionLease& lease) const {
  // A session made by this request is not yet known to its browser.
  if (lease) return lease.IsNew() ? std::string() : lease->Key();
  session::Sessions& store = site_.Sessions();
  const std::string cookies = exchange_.Request().Header("Cookie").value_or("");
  return store.KeyOf(FindCookie(cookies, store.CookieName()).value_or(""));
}

void PageRun::RunGlobalEvents(bool newSession) {
  if (site_.TakeApplicationStart()) {
    if (auto event = site_.PrepareGlobalEvent("Application_OnStart")) Run(*event);
  }
  if (!newSession) return;
  if (auto event = site_.PrepareGlobalEvent("Session_OnStart")) {
    const pages::ScriptResult result = Run(*event);
    ShowFailure("/global.asa", result);
  }
}

pages::ScriptResult PageRun::Run(const pages::CompiledPage& page) {
  pages::PageBindings context;
  context.globals = GlobalsOf(page_->Objects());
  context.steadyGlobals = kSteadyGlobals;
  intrinsics::PageIntrinsics* state = page_.get();
  context.endRequested = [state] { return state->EndRequested(); };
  context.scriptTimeoutSeconds = [state] { return state->ScriptTimeoutSeconds(); };
  context.createObject = [state](std::u16string_view progId, ComPtr<IDispatch>* out) {
    return state->CreateUnboundObject(progId, out);
  };
  if (page.error) return pages::ScriptResult{ScriptOutcome::Failed, page.error};
  pages::ScriptResult result = site_.Engine().RunPage(page, context);
  if (result.memoryCapReached) {
    // Logged even when the script caught the error and went on.
    LogPageError(exchange_.Request(), page_->CurrentPage(),
                 "reached the script memory limit of its heap");
    if (result.outcome != ScriptOutcome::Failed)
      exchange_.AppendToLog("script memory limit reached");
  }
  return result;
}

void PageRun::ShowFailure(const std::string& virtualPath, const pages::ScriptResult& result) {
  if (result.outcome == ScriptOutcome::TimedOut) {
    LogPageError(exchange_.Request(), virtualPath, "script timed out");
    exchange_.AppendToLog("script timed out");
    SendFailurePage(exchange_, pages::RenderTimeoutPage(virtualPath));
    return;
  }
  if (result.outcome != ScriptOutcome::Failed || !result.error) return;
  const pages::ScriptError& error = *result.error;
  LogPageError(exchange_.Request(), virtualPath,
               "script error in " + error.file + ":" + std::to_string(error.line) + ": " +
                   error.description + (error.source.empty() ? "" : " (" + error.source + ")"));
  exchange_.AppendToLog("script error line " + std::to_string(error.line));
  page_->SetLastError(ToPageError(error));
  SendFailurePage(exchange_, ErrorPageFor(error));
}

// The classic page for clients that may see details; a generic one for the
// rest, since messages may name server paths or hold a database's errors.
std::string PageRun::ErrorPageFor(const pages::ScriptError& error) const {
  if (http::ShowsErrorDetails(site_.Rules().detailedErrors, exchange_.Request()))
    return pages::RenderErrorPage(error);
  return pages::RenderGenericErrorPage();
}

void PageRun::ShowTranslateError(const pages::TranslateError& error) {
  pages::ScriptError shown;
  shown.category = "Active Server Pages error";
  shown.number = kPageFailed;
  shown.description = error.message;
  shown.file = error.file;
  shown.line = error.line;
  LogPageError(
      exchange_.Request(), exchange_.Request().path,
      "cannot run " + error.file + ":" + std::to_string(error.line) + ": " + error.message);
  SendFailurePage(exchange_, ErrorPageFor(shown));
}

HRESULT PageRun::RunNested(const std::string& virtualPath) {
  if (site_.InUploadFolder(virtualPath))
    return FailNested("No page runs in an upload folder: " + virtualPath);
  // Each nested page runs inside the call of the one before it, on the same
  // stack and with a heap of its own: a page that executes itself must meet
  // a limit long before either runs out.
  if (nesting_ >= kMaxPageNesting) {
    return FailNested("The page " + virtualPath +
                      " was not run: Server.Execute and Server.Transfer " +
                      "may nest pages at most " + std::to_string(kMaxPageNesting) + " deep.");
  }
  ++nesting_;
  struct Unnest {
    int& depth;
    ~Unnest() { --depth; }
  } unnest{nesting_};
  auto prepared = site_.Prepare(virtualPath);
  if (auto* error = std::get_if<pages::TranslateError>(&prepared)) {
    return FailNested(error->file + ":" + std::to_string(error->line) + ": " + error->message);
  }
  const std::string caller = page_->CurrentPage();
  page_->SetCurrentPage(virtualPath);
  const pages::ScriptResult result = Run(*std::get<pages::CompiledPagePtr>(prepared));
  page_->SetCurrentPage(caller);
  if (result.outcome == ScriptOutcome::TimedOut) return FailNested("The executed page timed out.");
  if (result.outcome == ScriptOutcome::Failed && result.error) {
    page_->SetLastError(ToPageError(*result.error));
    const HRESULT hr = FailNested(result.error->description);
    nestedFailure_ = *result.error;  // its own file and line, for Transfer
    return hr;
  }
  return S_OK;
}

HRESULT PageRun::Execute(const std::string& virtualPath) { return RunNested(virtualPath); }

HRESULT PageRun::FailNested(const std::string& description) {
  nestedFailure_ = pages::ScriptError{};
  nestedFailure_.category = "Server object error";
  nestedFailure_.number = kPageFailed;
  nestedFailure_.source = "Server";
  nestedFailure_.description = description;
  nestedFailure_.file = page_->CurrentPage();
  return FailWith(description);
}

HRESULT PageRun::Transfer(const std::string& virtualPath) {
  const HRESULT hr = RunNested(virtualPath);
  // The calling page ends here, so no script will ever see the failure:
  // show it as the page's error.
  if (Failed(hr)) {
    ShowFailure(page_->CurrentPage(), pages::ScriptResult{ScriptOutcome::Failed, nestedFailure_});
  }
  page_->RequestEnd();
  return hr;
}

}  // namespace vant::host::app
