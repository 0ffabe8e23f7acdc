#include "host/app/site_handler.h"

#include <sys/stat.h>
#include <chrono>
#include <iostream>
#include <string_view>

#include "host/app/page_run.h"
#include "host/http/router.h"
#include "host/http/url_path.h"
#include "host/session/session_store.h"
#include "host/session/shared_application.h"
#include "host/session/shared_session_store.h"
#include "platform/redis/redis.h"

namespace vant::host::app {
namespace {

constexpr auto kSessionSweepPeriod = std::chrono::seconds(30);
constexpr const char* kGlobalAsa = "/global.asa";

bool FileExists(const std::string& hostPath) {
  struct stat st {};
  return ::stat(hostPath.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The page file the router has just looked at for this thread's request,
// and what it saw: the page cache's check of that file takes it from here
// instead of looking again. Other files (includes, pages run by
// Server.Execute) are looked at as usual.
// The page is named by the site folder and its path from there, compared
// in two parts rather than joined into a string per request.
struct KnownStamp {
  bool set = false;
  std::string_view root;
  std::string_view virtualPath;
  std::int64_t stamp = 0;

  bool Names(std::string_view hostPath) const {
    return set && hostPath.size() == root.size() + virtualPath.size() &&
           hostPath.substr(0, root.size()) == root && hostPath.substr(root.size()) == virtualPath;
  }
};
thread_local KnownStamp knownStamp;

std::optional<std::int64_t> StampOf(const std::string& hostPath) {
  if (knownStamp.Names(hostPath)) return knownStamp.stamp;
  struct stat st {};
  if (::stat(hostPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return http::FileStamp(st.st_mtim.tv_sec, st.st_mtim.tv_nsec, st.st_size);
}

pages::ScriptEngineOptions WithStamps(pages::ScriptEngineOptions options) {
  if (!options.modifiedTime) options.modifiedTime = &StampOf;
  return options;
}

}  // namespace

SiteHandler::SiteHandler(intrinsics::SiteConfig site, VisitorRules rules,
                         pages::ScriptEngineOptions engine)
    : site_(std::move(site)), rules_(std::move(rules)), engine_(WithStamps(std::move(engine))) {
  // Read once, as the application starts: a METADATA comment in global.asa
  // gives every page the type library's constants.
  const auto globalAsa = loader_.Load(site_.rootHostPath + kGlobalAsa);
  adoConstants_ = globalAsa && pages::DeclaresAdoConstants(*globalAsa);
  if (redis::Client* shared = redis::SharedClient()) {
    std::cerr << "vant-host: sessions and Application kept in " << shared->Describe() << std::endl;
    sessions_ =
        std::make_unique<session::SharedSessionStore>(*shared, session::kDefaultTimeoutMinutes);
    application_.shared = std::make_shared<session::SharedApplication>(*shared);
    return;
  }
  auto local = std::make_unique<session::SessionStore>();
  local->StartSweeper(kSessionSweepPeriod);
  sessions_ = std::move(local);
}

SiteHandler::~SiteHandler() { sessions_->EndAll(); }

void SiteHandler::Serve(http::Exchange& exchange, const std::string&,
                        const std::string& virtualPath, std::optional<std::int64_t> stamp) {
  PageRun run(*this, exchange);
  run.Serve(virtualPath, stamp);
}

std::variant<pages::CompiledPagePtr, pages::TranslateError> SiteHandler::Prepare(
    const std::string& virtualPath, std::optional<std::int64_t> stamp) const {
  if (!stamp) return Prepare(virtualPath);
  knownStamp = {true, site_.rootHostPath, virtualPath, *stamp};
  try {
    auto prepared = Prepare(virtualPath);
    knownStamp = {};
    return prepared;
  } catch (...) {
    knownStamp = {};
    throw;
  }
}

http::CacheCounts SiteHandler::Cache() const {
  const pages::PageCacheCounts counts = pages::ReadPageCacheCounts();
  return {counts.entries, counts.hits, counts.misses};
}

std::variant<pages::CompiledPagePtr, pages::TranslateError> SiteHandler::Prepare(
    const std::string& virtualPath) const {
  return engine_.PreparePage(
      loader_, pages::TranslateOptions{site_.rootHostPath, virtualPath, adoConstants_});
}

pages::CompiledPagePtr SiteHandler::PrepareGlobalEvent(const std::string& eventName) const {
  if (!FileExists(site_.rootHostPath + kGlobalAsa)) return nullptr;
  pages::TranslateOptions options{site_.rootHostPath, kGlobalAsa};
  options.sendsText = false;
  auto translated = pages::TranslatePage(loader_, options);
  auto* page = std::get_if<pages::TranslatedPage>(&translated);
  if (page == nullptr) return nullptr;
  // The event handlers are plain functions of the file; call the one wanted.
  page->script += "\n;if (typeof " + eventName + " == 'function') " + eventName + "();\n";
  return engine_.Compile(*page);
}

bool SiteHandler::InUploadFolder(std::string_view virtualPath) const {
  for (const std::string& folder : rules_.uploadFolders)
    if (http::IsInFolder(virtualPath, folder)) return true;
  return false;
}

bool SiteHandler::TakeApplicationStart() {
  if (applicationStarted_.load()) return false;
  if (!application_.shared) return !applicationStarted_.exchange(true);
  // Once per site across hosts; asked again while the store is unreachable.
  const std::optional<bool> first = application_.shared->TakeStart();
  if (!first) return false;
  applicationStarted_ = true;
  return *first;
}

}  // namespace vant::host::app
