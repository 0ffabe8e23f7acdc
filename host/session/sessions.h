// Where the host's sessions live, behind one interface: in this process
// (SessionStore, the default) or in the shared state store several hosts
// use (SharedSessionStore). The page handler sees only this.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "host/session/session.h"
#include "host/session/session_lease.h"

namespace vant::host::session {

class Sessions {
 public:
  virtual ~Sessions() = default;

  // The name of the session cookie.
  virtual const std::string& CookieName() const = 0;
  // The session named by `cookieValue` (the session cookie the request sent,
  // empty when none), or a new one; waits while another request of that
  // session runs here. The lease's IsNew() tells a new session.
  virtual SessionLease Begin(std::string_view cookieValue) = 0;
  // The Key() of the live session `cookieValue` names, or "" when none does.
  // Takes no lease, so pages without session state may ask while a request
  // of that session runs.
  virtual std::string KeyOf(std::string_view cookieValue) const = 0;
  // Ends every session not in use now that this process owns (shutdown).
  virtual std::size_t EndAll() = 0;

 protected:
  friend class SessionLease;
  // Writes what the page changed, before its response ends, so the
  // browser's next request finds it on any host. Nothing to do by default.
  virtual void Commit(Session&) {}
  // The lease lets the session go (its serial mutex still held).
  virtual void Released(const std::shared_ptr<Session>& session) = 0;

  SessionLease MakeLease(std::shared_ptr<Session> session, std::unique_lock<std::mutex> serial,
                         bool isNew) {
    return SessionLease(this, std::move(session), std::move(serial), isNew);
  }
};

}  // namespace vant::host::session
