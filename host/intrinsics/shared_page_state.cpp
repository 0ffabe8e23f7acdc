#include "host/intrinsics/shared_page_state.h"

#include <utility>

#include "platform/sys/ansi_code_page.h"

namespace vant::host::intrinsics {

SharedPageState::SharedPageState(http::Exchange& exchange, SiteConfig site, RequestedPage page,
                                 std::shared_ptr<session::Session> session,
                                 session::ApplicationState& application, PageExecutor* executor)
    : exchange(&exchange),
      site(std::move(site)),
      page(std::move(page)),
      currentPage(this->page.virtualPath),
      session(std::move(session)),
      application(application),
      executor(executor),
      started(std::chrono::steady_clock::now()),
      scriptTimeout(this->site.scriptTimeoutSeconds) {}

std::uint32_t SharedPageState::PageCodePage() const {
  if (session && session->CodePage() != session::kUnsetCodePage) return session->CodePage();
  if (page.codePage != 0) return page.codePage;
  return sys::AnsiCodePage();
}

std::uint32_t SharedPageState::CodePage() const {
  return responseCodePage != 0 ? responseCodePage : PageCodePage();
}

std::int32_t SharedPageState::PageLcid() const {
  if (session && session->Lcid() != session::kUnsetLcid) return session->Lcid();
  if (page.lcid != 0) return page.lcid;
  return kDefaultLcid;
}

std::int32_t SharedPageState::Lcid() const { return responseLcid != 0 ? responseLcid : PageLcid(); }

std::chrono::steady_clock::time_point SharedPageState::Deadline() const {
  return started + std::chrono::seconds(scriptTimeout.load());
}

}  // namespace vant::host::intrinsics
