// The page handler of vant-host: runs a site's .asp pages with their
// intrinsic objects, sessions, Application state and global.asa events.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "host/http/host_options.h"
#include "host/http/page_handler.h"
#include "host/intrinsics/site_config.h"
#include "host/pages/script_engine.h"
#include "host/pages/source_loader.h"
#include "host/session/contents_store.h"
#include "host/session/sessions.h"

namespace vant::host::app {

// How the handler treats visitors: who sees a failed page's details, and
// the folders of visitors' files, where no page runs (not even through
// Server.Execute or Server.Transfer).
struct VisitorRules {
  http::DetailedErrors detailedErrors = http::DetailedErrors::kLocal;
  std::vector<std::string> uploadFolders;  // "/uploads", decoded, no trailing '/'
};

class SiteHandler final : public http::PageHandler {
 public:
  explicit SiteHandler(intrinsics::SiteConfig site, VisitorRules rules = {},
                       pages::ScriptEngineOptions engine = {});
  ~SiteHandler() override;

  void Serve(http::Exchange& exchange, const std::string& hostPath, const std::string& virtualPath,
             std::optional<std::int64_t> stamp) override;
  http::CacheCounts Cache() const override;

  // The compiled page at `virtualPath` (cached), or why it cannot run.
  std::variant<pages::CompiledPagePtr, pages::TranslateError> Prepare(
      const std::string& virtualPath) const;
  // The same, for the requested page whose file the router has just seen
  // with this stamp (see http::FileStamp): the cache takes it as current.
  std::variant<pages::CompiledPagePtr, pages::TranslateError> Prepare(
      const std::string& virtualPath, std::optional<std::int64_t> stamp) const;
  // global.asa with a call of `eventName` appended, compiled; null when the
  // site has no global.asa or it does not translate.
  pages::CompiledPagePtr PrepareGlobalEvent(const std::string& eventName) const;

  const pages::ScriptEngine& Engine() const { return engine_; }
  const intrinsics::SiteConfig& Site() const { return site_; }
  const VisitorRules& Rules() const { return rules_; }
  // True when the page at virtualPath lies in an upload folder.
  bool InUploadFolder(std::string_view virtualPath) const;
  session::Sessions& Sessions() { return *sessions_; }
  session::ApplicationState& Application() { return application_; }
  // True exactly once: for the request that must run Application_OnStart.
  bool TakeApplicationStart();

 private:
  intrinsics::SiteConfig site_;
  VisitorRules rules_;
  pages::FileSourceLoader loader_;
  bool adoConstants_ = false;  // global.asa names the database access type library
  pages::ScriptEngine engine_;
  // In this process, or in the shared state store when one is set.
  std::unique_ptr<session::Sessions> sessions_;
  session::ApplicationState application_;
  std::atomic<bool> applicationStarted_{false};
};

}  // namespace vant::host::app
