// SessionLease: the right of one request to run in its session. While a
// lease is held no other request of the same session runs; the page handler
// holds it for the whole page (Execute and Transfer included) and lets it go
// at page end. Pages without session state take no lease and never wait.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "host/session/session.h"

namespace vant::host::session {

class Sessions;

class SessionLease {
 public:
  SessionLease() = default;  // holds nothing
  SessionLease(SessionLease&& other) noexcept = default;
  SessionLease& operator=(SessionLease&& other) noexcept;
  SessionLease(const SessionLease&) = delete;
  SessionLease& operator=(const SessionLease&) = delete;
  // Releases the session: records the time of use, and ends the session
  // (Session_OnEnd) when the page abandoned it.
  ~SessionLease();

  explicit operator bool() const { return session_ != nullptr; }
  Session* operator->() const { return session_.get(); }
  Session& operator*() const { return *session_; }
  const std::shared_ptr<Session>& Get() const { return session_; }

  // True when the session was made for this request: the page handler runs
  // Session_OnStart and the response carries the session cookie.
  bool IsNew() const { return isNew_; }
  // The Set-Cookie value that names this session to the browser:
  // "ASPSESSIONIDABCDEFGH=VALUE; path=/; HttpOnly", so no script of the
  // site can read it, and "; Secure" added when `secure` (the request came
  // over HTTPS), so it never travels in clear text.
  std::string CookieHeader(bool secure = false) const;

  // Writes what the page changed to where the session lives (before the
  // response ends); the lease stays held.
  void Commit();
  // Lets the session go now instead of at destruction.
  void Release();

 private:
  friend class Sessions;
  SessionLease(Sessions* store, std::shared_ptr<Session> session,
               std::unique_lock<std::mutex> serial, bool isNew)
      : store_(store), session_(std::move(session)), serial_(std::move(serial)), isNew_(isNew) {}

  Sessions* store_ = nullptr;
  std::shared_ptr<Session> session_;
  std::unique_lock<std::mutex> serial_;
  bool isNew_ = false;
};

}  // namespace vant::host::session
