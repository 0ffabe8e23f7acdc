// Application kept in the shared state store, for hosts behind one
// balancer: its contents are one hash that every read and write reaches
// (one round trip each), and Application.Lock is a lock across hosts.
//
// The lock is a key holding a random token with a lease: taken with SET NX
// PX, renewed by this host while a page holds it, and deleted only by the
// holder of the token (a script compares and deletes in one step), so a
// host that died holding it blocks the others for one lease at most.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "host/session/contents_store.h"
#include "platform/redis/redis.h"

namespace vant::host::session {

// The keys of shared Application state.
inline constexpr std::string_view kApplicationKey = "vant:app";
inline constexpr std::string_view kApplicationLockKey = "vant:app:lock";
inline constexpr std::string_view kApplicationStartedKey = "vant:app:started";

// The text of StoreUnreachable for `client`'s store: names its endpoint,
// never its password. With `refusal` (an error reply), says that the store
// refused and why, and logs it: that is no outage the client logs itself.
std::string UnreachableText(const redis::Client& client, const redis::Reply* refusal = nullptr);

class SharedApplication {
 public:
  // How long a taken lock lasts unless renewed (a dead host's lock ends so).
  static constexpr std::chrono::milliseconds kLease{10'000};

  explicit SharedApplication(redis::Client& client);
  ~SharedApplication();
  SharedApplication(const SharedApplication&) = delete;
  SharedApplication& operator=(const SharedApplication&) = delete;

  Contents& Values() { return *values_; }
  // The text of a failure to reach the store, naming it.
  std::string UnreachableText() const;

  enum class LockResult { kTaken, kGaveUp, kUnreachable };
  // Takes the lock across hosts for this host; waits while another host
  // holds it, until `deadline` or until `stop` says so (kGaveUp). One page
  // of this host at a time may call it (the host's own lock orders them).
  LockResult Lock(std::chrono::steady_clock::time_point deadline,
                  const std::function<bool()>& stop);
  // Gives the lock back if this host still holds it.
  void Unlock();

  // For Application_OnStart: true for the one request of all hosts that
  // must run it, false for the others, nullopt when the store is unreachable
  // (the question is asked again by the next request).
  std::optional<bool> TakeStart();

 private:
  void RenewLoop(const std::stop_token& stop);

  redis::Client& client_;
  const std::unique_ptr<Contents> values_;
  std::mutex tokenMutex_;  // guards token_
  std::string token_;      // the token of the lock this host holds; empty when none
  std::condition_variable_any renewWake_;
  std::jthread renewer_;
};

}  // namespace vant::host::session
