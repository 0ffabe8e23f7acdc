// Sessions kept in the shared state store, so that every host behind a
// balancer serves the same session. Each session is one hash,
// "vant:session:<cookie value>", holding its number, key, settings and
// contents (see shared_value.h), and expiring by the store's own timer
// after Timeout minutes without a request.
//
// A request costs at most two round trips: one script that refreshes the
// timer and reads the whole hash when the page begins, and one batch with
// only the changed fields before the response ends (none for a page that
// changed nothing). New sessions are made by a script that refuses an
// existing cookie value and numbers them from one counter, so SessionID is
// unique across hosts and Session_OnStart runs once per session.
//
// Requests of one session run one at a time on each host; across hosts
// they may overlap, and then each writes only the values it changed.
// When the store cannot be reached the page still runs; only its uses of
// Session fail (Session::Unreachable), and no session cookie is sent.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "host/session/sessions.h"
#include "platform/redis/redis.h"

namespace vant::host::session {

// The session cookie's name with a shared store: the same on every host.
inline constexpr std::string_view kSharedCookieName = "ASPSESSIONIDVANTSTAT";

class SharedSessionStore final : public Sessions {
 public:
  SharedSessionStore(redis::Client& client, std::int32_t defaultTimeoutMinutes);

  const std::string& CookieName() const override { return cookieName_; }
  SessionLease Begin(std::string_view cookieValue) override;
  std::string KeyOf(std::string_view cookieValue) const override;
  // Sessions outlive the process in the store; nothing to end here.
  std::size_t EndAll() override { return 0; }

 private:
  // A session in use by requests of this host, with what the store held
  // when the running request read it (to write back only changes).
  struct Local {
    std::shared_ptr<Session> session;
    int users = 0;
    std::map<std::string, std::string> stored;  // field -> encoded value
    std::int32_t timeout = 0;
    std::uint32_t codePage = 0;
    std::int32_t lcid = 0;
  };

  void Commit(Session& session) override;
  void Released(const std::shared_ptr<Session>& session) override;

  // The entry of `cookieValue`, made when absent; counts one more user.
  Local& Use(const std::string& cookieValue, std::int32_t timeout, std::string key);
  Local* Find(const std::string& cookieValue);
  // Reads the session into `local`; false when the store has no such session.
  bool Load(Local& local, const redis::Reply& fields);
  // The lease of a new session, or of one marked unreachable.
  SessionLease Create();

  redis::Client& client_;
  const std::int32_t defaultTimeout_;
  const std::string cookieName_;
  std::mutex mutex_;  // guards locals_ (the entries' fields: their session's serial mutex)
  std::map<std::string, Local, std::less<>> locals_;
};

}  // namespace vant::host::session
