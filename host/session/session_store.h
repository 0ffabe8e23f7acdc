// The sessions of the host: made on a browser's first request to a page with
// session state, found again by the session cookie, ended after Timeout
// minutes without a request (Sweep) or after Session.Abandon.
//
// The cookie name is "ASPSESSIONID" plus 8 random upper-case letters, fixed
// for the process; each session's cookie value is 28 upper-case letters
// (131 bits) drawn from the kernel's random source. A cookie value the store does not know (an
// ended session, a restarted host, a forged value) is never adopted: the request gets a new session
// with a new value.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "host/session/session.h"
#include "host/session/session_lease.h"
#include "host/session/sessions.h"

namespace vant::host::session {

using SteadyClock = std::function<std::chrono::steady_clock::time_point()>;

struct SessionStoreOptions {
  std::int32_t defaultTimeoutMinutes = kDefaultTimeoutMinutes;
  // Empty: "ASPSESSIONID" + 8 random letters.
  std::string cookieName;
  // Empty: std::chrono::steady_clock::now. Tests pass a clock they move.
  SteadyClock clock;
};

// Prefix of the session cookie's name; cookies named so are the host's own.
inline constexpr std::string_view kSessionCookiePrefix = "ASPSESSIONID";

class SessionStore final : public Sessions {
 public:
  explicit SessionStore(SessionStoreOptions options = {});
  // Stops the sweeper. Sessions still held are dropped without Session_OnEnd;
  // call EndAll first for an orderly shutdown.
  ~SessionStore() override;
  SessionStore(const SessionStore&) = delete;
  SessionStore& operator=(const SessionStore&) = delete;

  const std::string& CookieName() const override { return cookieName_; }

  // The session named by `cookieValue` (the session cookie the request sent,
  // empty when none), or a new one; waits while another request of that
  // session runs. The lease's IsNew() tells a new session.
  SessionLease Begin(std::string_view cookieValue) override;

  // Session_OnEnd: called once per ending session, on the thread that ends
  // it (the sweeper, or the request that abandoned it), while no request of
  // that session runs. Set before requests start.
  void SetOnEnd(std::function<void(Session&)> onEnd);

  // Ends every session idle longer than its timeout and not in use now.
  // Returns how many ended.
  std::size_t Sweep();
  // Sweeps every `period` on a thread of its own until destruction.
  void StartSweeper(std::chrono::milliseconds period);
  // Ends every session not in use now (host shutdown, global.asa change).
  std::size_t EndAll() override;

  std::size_t Count() const;

  // The Key() of the live session `cookieValue` names, or "" when none does.
  // Takes no lease, so pages without session state may ask while a request
  // of that session runs.
  std::string KeyOf(std::string_view cookieValue) const override;

 private:
  std::chrono::steady_clock::time_point Now() const;
  std::shared_ptr<Session> FindOrCreate(std::string_view cookieValue, bool* isNew);
  bool IdleExpired(const Session& s, std::chrono::steady_clock::time_point now) const;
  // Removes the session and calls Session_OnEnd; its serial mutex is held.
  void End(const std::shared_ptr<Session>& s);
  // Called by the lease when it lets the session go (serial mutex held).
  void Released(const std::shared_ptr<Session>& s) override;
  std::string NewCookieValue() const;
  std::size_t EndWhere(bool onlyExpired);
  void SweepLoop(const std::stop_token& stop, std::chrono::milliseconds period);

  const std::int32_t defaultTimeout_;
  const std::string cookieName_;
  const SteadyClock clock_;
  std::function<void(Session&)> onEnd_;

  mutable std::mutex mutex_;  // guards sessions_, nextId_ and every lastUsed_
  std::map<std::string, std::shared_ptr<Session>, std::less<>> sessions_;
  std::int32_t nextId_;

  std::mutex sweepMutex_;
  std::condition_variable_any sweepWake_;
  std::jthread sweeper_;
};

}  // namespace vant::host::session
