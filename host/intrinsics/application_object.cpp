#include "host/intrinsics/application_object.h"

#include <algorithm>
#include <chrono>

#include "host/intrinsics/contents_object.h"
#include "host/intrinsics/errors.h"
#include "host/session/shared_application.h"

namespace vant::host::intrinsics {

namespace {
constexpr std::u16string_view kSource = kApplicationSource;
// How often a waiting Lock looks whether its page was ended meanwhile.
constexpr std::chrono::milliseconds kLockPoll{50};
}  // namespace

void* ApplicationObject::FindExtraInterface(const IID& iid) {
  return iid == host::IApplicationObject::kIid ? static_cast<host::IApplicationObject*>(this)
                                               : nullptr;
}

HRESULT ApplicationObject::get_Item(const Variant& key, Variant* out) {
  return GetContentsItem(core_->application.Values(), key, out, kSource);
}

HRESULT ApplicationObject::put_Item(const Variant& key, const Variant& value) {
  return PutContentsItem(core_->application.Values(), key, value, kSource);
}

HRESULT ApplicationObject::get_Contents(IDispatch** out) {
  if (out == nullptr) return E_POINTER;
  return Guarded(kSource, [&] {
    // Application state lives as long as the host; nothing to keep alive.
    *out = ContentsObject::Create(core_->application.Values(), nullptr, kSource).Detach();
    return S_OK;
  });
}

HRESULT ApplicationObject::Lock() {
  if (core_->exchange == nullptr) return PageEnded(kSource);
  const auto deadline = core_->Deadline();
  for (;;) {
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline || core_->endRequested) return GaveUp();
    const auto wait = std::min<std::chrono::steady_clock::duration>(kLockPoll, deadline - now);
    if (core_->application.lock.try_lock_for(wait)) break;
  }
  // The page's first Lock takes the lock across hosts too, after this
  // host's own, so only one page per host contends for it.
  session::SharedApplication* shared = core_->application.shared.get();
  if (core_->applicationLocks == 0 && shared != nullptr) {
    const auto taken = shared->Lock(deadline, [core = core_] { return core->endRequested.load(); });
    if (taken != session::SharedApplication::LockResult::kTaken) {
      core_->application.lock.unlock();
      if (taken == session::SharedApplication::LockResult::kGaveUp) return GaveUp();
      return RaiseError(E_FAIL, kSource, Utf8ToUtf16(shared->UnreachableText()));
    }
  }
  ++core_->applicationLocks;
  return S_OK;
}

HRESULT ApplicationObject::GaveUp() {
  return RaiseError(E_FAIL, kSource,
                    u"Application.Lock gave up: another page held the lock "
                    u"until this page's script time-out.");
}

HRESULT ApplicationObject::Unlock() {
  // An Unlock without a Lock of this page is harmless, as it must not free
  // another page's lock.
  if (core_->applicationLocks == 0) return S_OK;
  if (--core_->applicationLocks == 0 && core_->application.shared)
    core_->application.shared->Unlock();
  core_->application.lock.unlock();
  return S_OK;
}

void ReleaseApplicationLocks(SharedPageState& core) {
  if (core.applicationLocks > 0 && core.application.shared) core.application.shared->Unlock();
  for (; core.applicationLocks > 0; --core.applicationLocks) core.application.lock.unlock();
}

}  // namespace vant::host::intrinsics
