#include "host/session/session_lease.h"

#include <utility>

#include "host/session/sessions.h"

namespace vant::host::session {

SessionLease& SessionLease::operator=(SessionLease&& other) noexcept {
  if (this == &other) return *this;
  Release();
  store_ = std::exchange(other.store_, nullptr);
  session_ = std::move(other.session_);
  serial_ = std::move(other.serial_);
  isNew_ = other.isNew_;
  return *this;
}

SessionLease::~SessionLease() { Release(); }

void SessionLease::Commit() {
  if (session_ && store_ != nullptr) store_->Commit(*session_);
}

void SessionLease::Release() {
  if (!session_) return;
  std::shared_ptr<Session> session = std::move(session_);
  if (store_ != nullptr) store_->Released(session);
  if (serial_.owns_lock()) serial_.unlock();
}

std::string SessionLease::CookieHeader(bool secure) const {
  if (!session_ || store_ == nullptr) return {};
  return store_->CookieName() + "=" + session_->CookieValue() + "; path=/; HttpOnly" +
         (secure ? "; Secure" : "");
}

}  // namespace vant::host::session
