// PageIntrinsics: one page request's intrinsic objects and everything they
// share, built by the page handler before the script runs and ended after.
//
//   auto page = PageIntrinsics::Create(exchange, site, requested, std::move(lease),
//                                      application, executor);
//   Intrinsics objects = page->Objects();  // Request, Response, Server, Session, Application
//   ... run the script; it stops when page->EndRequested() turns true ...
//   page->EndPage();
//
// Everything runs on the request's thread. EndRequested and
// ScriptTimeoutSeconds may be read from any thread (the engine's interrupt
// check).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/http/exchange.h"
#include "host/intrinsics/errors.h"
#include "host/intrinsics/shared_page_state.h"
#include "host/intrinsics/site_config.h"
#include "host/session/contents_store.h"
#include "host/session/session_lease.h"
#include "platform/automation/automation.h"
#include "platform/host/scripting_context.h"

namespace vant::host::intrinsics {

class RequestObject;
class ResponseObject;
class ServerObject;
class ScriptingContextObject;

// The objects a page script sees under the names Request, Response, Server,
// Session and Application. `session` is null on a page without session state.
struct Intrinsics {
  ComPtr<IDispatch> request;
  ComPtr<IDispatch> response;
  ComPtr<IDispatch> server;
  ComPtr<IDispatch> session;
  ComPtr<IDispatch> application;
};

class PageIntrinsics {
 public:
  // `lease` may be empty (a page without session state). When its session
  // is new, the response carries the session cookie. `executor` may be null
  // (Execute and Transfer then fail). Exchange, application and executor
  // must outlive the PageIntrinsics.
  static std::unique_ptr<PageIntrinsics> Create(http::Exchange& exchange, const SiteConfig& site,
                                                const RequestedPage& page,
                                                session::SessionLease lease,
                                                session::ApplicationState& application,
                                                PageExecutor* executor);
  ~PageIntrinsics();
  PageIntrinsics(const PageIntrinsics&) = delete;
  PageIntrinsics& operator=(const PageIntrinsics&) = delete;

  Intrinsics Objects() const;
  // The context components receive in OnStartPage.
  host::IScriptingContext* ScriptingContext() const;

  // Response.End, Redirect and Transfer set this; the engine stops the page
  // when it turns true. The page handler may set it too (client gone).
  bool EndRequested() const { return core_->endRequested.load(); }
  void RequestEnd() { core_->endRequested = true; }
  std::int32_t ScriptTimeoutSeconds() const { return core_->scriptTimeout.load(); }

  // The response code page and locale (Response, Session, directive, host).
  std::uint32_t CodePage() const { return core_->CodePage(); }
  std::int32_t Lcid() const { return core_->Lcid(); }

  // The page running now, for relative paths; Execute and Transfer set it
  // for the page they run and put the old one back afterwards.
  const std::string& CurrentPage() const { return core_->currentPage; }
  void SetCurrentPage(std::string virtualPath) { core_->currentPage = std::move(virtualPath); }

  // What Server.GetLastError reports (the error page sets it).
  void SetLastError(PageError error) { core_->lastError = std::move(error); }

  bool HasSession() const { return core_->session != nullptr; }

  // `new ActiveXObject(progId)`: the object made as Server.CreateObject
  // makes it, but outside the page's object context (no OnStartPage, no
  // OnEndPage). Fails with the activation's status.
  HRESULT CreateUnboundObject(std::u16string_view progId, ComPtr<IDispatch>* out);

  // What components read as the request's session key (IRequestSession):
  // the Key() of the session the request's cookie names, "" when none.
  void SetSessionKey(std::string key) { core_->sessionKey = std::move(key); }

  // Ends the page, once: OnEndPage of every created component in creation
  // order, then their release; Application locks given back; waiting
  // headers (cookies, Expires) sent and the response finished; finally the
  // session released (ended if abandoned). Later calls do nothing; the
  // destructor calls it.
  void EndPage();

 private:
  PageIntrinsics(std::shared_ptr<SharedPageState> core, session::SessionLease lease);
  void EndPageObjects();

  std::shared_ptr<SharedPageState> core_;
  session::SessionLease lease_;
  ComPtr<RequestObject> request_;
  ComPtr<ResponseObject> response_;
  ComPtr<ServerObject> server_;
  ComPtr<IDispatch> session_;
  ComPtr<IDispatch> application_;
  ComPtr<ScriptingContextObject> context_;
  bool ended_ = false;
};

}  // namespace vant::host::intrinsics
