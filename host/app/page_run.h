// One request's run of a page: its intrinsic objects, the session it holds,
// the script and its outcome, and Server.Execute / Server.Transfer of other
// pages with the same objects.
#pragma once

#include <memory>
#include <string>

#include "host/http/exchange.h"
#include "host/intrinsics/page_intrinsics.h"
#include "host/intrinsics/shared_page_state.h"
#include "host/pages/script_engine.h"

namespace vant::host::app {

class SiteHandler;

// How many pages Server.Execute and Server.Transfer may nest below the
// requested one.
inline constexpr int kMaxPageNesting = 32;

class PageRun final : public intrinsics::PageExecutor {
 public:
  PageRun(SiteHandler& site, http::Exchange& exchange);
  ~PageRun() override;

  // Runs the page and finishes the response; every object the page created
  // is released before this returns, whatever way the page ended. stamp:
  // the page file's, as the router saw it (see SiteHandler::Prepare).
  void Serve(const std::string& virtualPath, std::optional<std::int64_t> stamp = std::nullopt);

  HRESULT Execute(const std::string& virtualPath) override;
  HRESULT Transfer(const std::string& virtualPath) override;

 private:
  session::SessionLease TakeSession(const pages::CompiledPage& page);
  // What components read as the request's session key (see IRequestSession).
  std::string SessionKey(const session::SessionLease& lease) const;
  void RunGlobalEvents(bool newSession);
  pages::ScriptResult Run(const pages::CompiledPage& page);
  void ShowFailure(const std::string& virtualPath, const pages::ScriptResult& result);
  void ShowTranslateError(const pages::TranslateError& error);
  std::string ErrorPageFor(const pages::ScriptError& error) const;
  HRESULT RunNested(const std::string& virtualPath);
  // Sets the error record for a failed Execute or Transfer and remembers
  // the failure (Transfer shows it).
  HRESULT FailNested(const std::string& description);

  SiteHandler& site_;
  http::Exchange& exchange_;
  std::unique_ptr<intrinsics::PageIntrinsics> page_;
  int nesting_ = 0;  // pages running inside the requested one now
  pages::ScriptError nestedFailure_;
};

}  // namespace vant::host::app
