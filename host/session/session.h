// One browser session: its number, cookie value, settings and contents.
// Sessions are made and ended only by the SessionStore; a page reaches its
// session through a SessionLease.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

#include "host/session/contents_store.h"

namespace vant::host::session {

// Limits of Session.Timeout in minutes (one minute to one day).
inline constexpr std::int32_t kMinTimeoutMinutes = 1;
inline constexpr std::int32_t kMaxTimeoutMinutes = 1440;
inline constexpr std::int32_t kDefaultTimeoutMinutes = 20;

// 0 for Session.CodePage / Session.LCID means "not set on this session".
inline constexpr std::uint32_t kUnsetCodePage = 0;
inline constexpr std::int32_t kUnsetLcid = 0;

class Session {
 public:
  Session(std::int32_t id, std::string cookieValue, std::int32_t timeoutMinutes,
          std::string key = {})
      : id_(id),
        cookieValue_(std::move(cookieValue)),
        key_(std::move(key)),
        timeout_(timeoutMinutes) {}
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Session.SessionID: unique among the sessions of this process run.
  std::int32_t Id() const { return id_; }
  // The value of the session cookie that names this session.
  const std::string& CookieValue() const { return cookieValue_; }
  // A random secret of the session, other than its cookie value, that
  // components compare to tell whether two requests share a session.
  const std::string& Key() const { return key_; }

  // Minutes of idleness after which the store ends the session.
  std::int32_t TimeoutMinutes() const { return timeout_.load(); }
  // False (and unchanged) outside kMinTimeoutMinutes..kMaxTimeoutMinutes.
  bool SetTimeoutMinutes(std::int32_t minutes) {
    if (minutes < kMinTimeoutMinutes || minutes > kMaxTimeoutMinutes) return false;
    timeout_ = minutes;
    return true;
  }

  // kUnsetCodePage / kUnsetLcid until a page sets them.
  std::uint32_t CodePage() const { return codePage_.load(); }
  void SetCodePage(std::uint32_t codePage) { codePage_ = codePage; }
  std::int32_t Lcid() const { return lcid_.load(); }
  void SetLcid(std::int32_t lcid) { lcid_ = lcid; }

  ContentsStore& Contents() { return contents_; }

  // Why the session's values cannot be reached (its store is unreachable),
  // empty when they can. Such a session fails only the pages that use it.
  const std::u16string& Unreachable() const { return unreachable_; }

  // Session.Abandon: the session ends when the page that called it ends.
  void Abandon() { abandoned_ = true; }
  bool Abandoned() const { return abandoned_.load(); }
  // True once the store ended the session (it is gone from the store).
  bool Ended() const { return ended_.load(); }

 private:
  friend class SessionStore;
  friend class SharedSessionStore;

  // Set once by the store that made the session, before any page sees it.
  std::int32_t id_;
  const std::string cookieValue_;
  std::string key_;
  std::u16string unreachable_;
  std::atomic<std::int32_t> timeout_;
  std::atomic<std::uint32_t> codePage_{kUnsetCodePage};
  std::atomic<std::int32_t> lcid_{kUnsetLcid};
  std::atomic<bool> abandoned_{false};
  std::atomic<bool> ended_{false};
  ContentsStore contents_;

  // Held by the one request that runs in this session (SessionLease).
  std::mutex serial_;
  // When the last request of the session ended; guarded by the store's mutex.
  std::chrono::steady_clock::time_point lastUsed_;
};

}  // namespace vant::host::session
