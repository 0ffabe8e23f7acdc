#include "host/session/session_store.h"

#include <algorithm>
#include <stdexcept>
#include <utility>
#include <vector>

#include "host/session/detail/random_text.h"
#include "platform/sys/random.h"

namespace vant::host::session {

namespace {

constexpr std::size_t kCookieNameLetters = 8;
// Session numbers start at a random point of a nine-digit range so that two
// runs of the host do not hand out the same series.
constexpr std::int32_t kFirstIdBase = 100'000'000;
constexpr std::uint32_t kFirstIdSpread = 800'000'000;

}  // namespace

SessionStore::SessionStore(SessionStoreOptions options)
    : defaultTimeout_(options.defaultTimeoutMinutes),
      cookieName_(options.cookieName.empty() ? std::string(kSessionCookiePrefix) +
                                                   detail::RandomLetters(kCookieNameLetters)
                                             : std::move(options.cookieName)),
      clock_(std::move(options.clock)),
      nextId_(kFirstIdBase + static_cast<std::int32_t>(sys::Random32() % kFirstIdSpread)) {}

SessionStore::~SessionStore() {
  if (sweeper_.joinable()) {
    sweeper_.request_stop();
    sweepWake_.notify_all();
    sweeper_.join();
  }
}

std::chrono::steady_clock::time_point SessionStore::Now() const {
  return clock_ ? clock_() : std::chrono::steady_clock::now();
}

void SessionStore::SetOnEnd(std::function<void(Session&)> onEnd) { onEnd_ = std::move(onEnd); }

std::string SessionStore::NewCookieValue() const {
  // Called with mutex_ held; a clash with a live session is astronomically
  // unlikely but cheap to rule out.
  for (;;) {
    std::string value = detail::RandomLetters(detail::kCookieValueLetters);
    if (!sessions_.contains(value)) return value;
  }
}

std::shared_ptr<Session> SessionStore::FindOrCreate(std::string_view cookieValue, bool* isNew) {
  std::lock_guard lock(mutex_);
  if (auto it = sessions_.find(cookieValue); it != sessions_.end()) {
    *isNew = false;
    return it->second;
  }
  auto session =
      std::make_shared<Session>(nextId_++, NewCookieValue(), defaultTimeout_, detail::RandomKey());
  session->lastUsed_ = Now();
  sessions_.emplace(session->CookieValue(), session);
  *isNew = true;
  return session;
}

SessionLease SessionStore::Begin(std::string_view cookieValue) {
  for (;;) {
    bool isNew = false;
    std::shared_ptr<Session> session = FindOrCreate(cookieValue, &isNew);
    std::unique_lock serial(session->serial_);
    // Ended while this request waited (swept or abandoned): start afresh.
    if (session->Ended()) continue;
    bool expired = false;
    {
      std::lock_guard lock(mutex_);
      expired = !isNew && IdleExpired(*session, Now());
    }
    if (expired) {
      // Idle too long but not swept yet: it is over all the same.
      End(session);
      continue;
    }
    return MakeLease(std::move(session), std::move(serial), isNew);
  }
}

bool SessionStore::IdleExpired(const Session& s, std::chrono::steady_clock::time_point now) const {
  return now - s.lastUsed_ >= std::chrono::minutes(s.TimeoutMinutes());
}

void SessionStore::End(const std::shared_ptr<Session>& s) {
  {
    std::lock_guard lock(mutex_);
    auto it = sessions_.find(s->CookieValue());
    if (it != sessions_.end() && it->second == s) sessions_.erase(it);
  }
  if (s->ended_.exchange(true)) return;
  if (onEnd_) onEnd_(*s);
  // Values may hold objects; let them go now rather than with the last
  // reference to the session.
  s->Contents().RemoveAll();
}

void SessionStore::Released(const std::shared_ptr<Session>& s) {
  if (s->Abandoned()) {
    End(s);
    return;
  }
  std::lock_guard lock(mutex_);
  s->lastUsed_ = Now();
}

std::size_t SessionStore::EndWhere(bool onlyExpired) {
  std::vector<std::shared_ptr<Session>> candidates;
  {
    std::lock_guard lock(mutex_);
    const auto now = Now();
    for (const auto& [value, s] : sessions_) {
      if (!onlyExpired || IdleExpired(*s, now)) candidates.push_back(s);
    }
  }
  std::size_t ended = 0;
  for (const auto& s : candidates) {
    // A session in use is not idle, whatever its last time says.
    std::unique_lock serial(s->serial_, std::try_to_lock);
    if (!serial.owns_lock() || s->Ended()) continue;
    if (onlyExpired) {
      std::lock_guard lock(mutex_);
      if (!IdleExpired(*s, Now())) continue;
    }
    End(s);
    ++ended;
  }
  return ended;
}

std::size_t SessionStore::Sweep() { return EndWhere(true); }

std::size_t SessionStore::EndAll() { return EndWhere(false); }

void SessionStore::StartSweeper(std::chrono::milliseconds period) {
  if (sweeper_.joinable()) return;
  sweeper_ = std::jthread([this, period](const std::stop_token& stop) { SweepLoop(stop, period); });
}

void SessionStore::SweepLoop(const std::stop_token& stop, std::chrono::milliseconds period) {
  std::unique_lock lock(sweepMutex_);
  while (!stop.stop_requested()) {
    sweepWake_.wait_for(lock, stop, period, [] { return false; });
    if (stop.stop_requested()) return;
    lock.unlock();
    Sweep();
    lock.lock();
  }
}

std::string SessionStore::KeyOf(std::string_view cookieValue) const {
  if (cookieValue.empty()) return {};
  std::lock_guard lock(mutex_);
  const auto it = sessions_.find(cookieValue);
  if (it == sessions_.end() || it->second->Ended() || IdleExpired(*it->second, Now())) return {};
  return it->second->Key();
}

std::size_t SessionStore::Count() const {
  std::lock_guard lock(mutex_);
  return sessions_.size();
}

}  // namespace vant::host::session
