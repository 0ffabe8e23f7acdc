// The state of one page request that its intrinsic objects share. The
// objects hold it by shared_ptr so that an object kept past its page (in
// Session contents, say) fails cleanly instead of touching a finished
// request: ending the page clears `exchange`.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/http/exchange.h"
#include "host/intrinsics/errors.h"
#include "host/intrinsics/site_config.h"
#include "host/session/contents_store.h"
#include "host/session/session.h"
#include "platform/automation/automation.h"
#include "platform/host/scripting_context.h"

namespace vant::host::intrinsics {

// The page handler's side of Server.Execute and Server.Transfer.
class PageExecutor {
 public:
  virtual ~PageExecutor() = default;
  // Runs the page at `virtualPath` ("/dir/page.asp", already resolved and
  // checked to stay in the site) with this request's objects, and returns
  // when it is done. Its failure status reaches the calling script; the
  // executor sets the error record.
  virtual HRESULT Execute(const std::string& virtualPath) = 0;
  // The same for Transfer; the calling page ends after it returns.
  virtual HRESULT Transfer(const std::string& virtualPath) = 0;
};

// A component made by Server.CreateObject, released at page end.
struct PageObject {
  ComPtr<IDispatch> object;
  bool callEndPage = false;  // its member table has OnEndPage
};

struct SharedPageState {
  SharedPageState(http::Exchange& exchange, SiteConfig site, RequestedPage page,
                  std::shared_ptr<session::Session> session, session::ApplicationState& application,
                  PageExecutor* executor);

  // The code page of this response: Response.CodePage if the page set it,
  // else Session.CodePage if set, else the page directive's, else the
  // host's ANSI code page.
  std::uint32_t CodePage() const;
  // The same chain without Response.CodePage (what Session.CodePage reads
  // when the session has none of its own).
  std::uint32_t PageCodePage() const;
  std::int32_t Lcid() const;
  std::int32_t PageLcid() const;

  // When a wait (Application.Lock) must give up: page start + ScriptTimeout.
  std::chrono::steady_clock::time_point Deadline() const;

  http::Exchange* exchange;  // null once the page ended
  const SiteConfig site;
  const RequestedPage page;
  std::string currentPage;  // the page running now; Execute and Transfer change it
  const std::shared_ptr<session::Session> session;  // null without session state
  // The Key() of the session the request's cookie named; "" when none, also
  // for a session this request created.
  std::string sessionKey;
  session::ApplicationState& application;
  PageExecutor* const executor;                // may be null
  host::IScriptingContext* context = nullptr;  // owned by PageIntrinsics
  const std::chrono::steady_clock::time_point started;

  std::atomic<bool> endRequested{false};
  std::atomic<std::int32_t> scriptTimeout;
  std::uint32_t responseCodePage = 0;  // 0: not set by Response.CodePage
  std::int32_t responseLcid = 0;
  std::vector<PageObject> objects;
  int applicationLocks = 0;
  PageError lastError;
};

}  // namespace vant::host::intrinsics
