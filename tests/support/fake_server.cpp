// The fake host's Server, Session and Application objects and the scripting
// context that hands out all of them.
#include <utility>

#include "tests/support/detail/fake_host_state.h"

namespace vant::test {
namespace {

constexpr char16_t kWindowsSeparator = u'\\';

bool IsSeparator(char16_t c) { return c == u'/' || c == u'\\'; }

// True when one segment of the path is "..".
bool ClimbsUp(std::u16string_view path) {
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    if (path.substr(start, end - start) == u"..") return true;
    start = end + 1;
  }
  return false;
}

// Joins `path` to `root` with Windows separators; "/" alone is the root.
std::u16string JoinToRoot(const std::u16string& root, std::u16string_view path) {
  while (!path.empty() && IsSeparator(path.front())) path.remove_prefix(1);
  if (path.empty()) return root;
  std::u16string mapped = root;
  mapped += kWindowsSeparator;
  for (const char16_t c : path) mapped += IsSeparator(c) ? kWindowsSeparator : c;
  return mapped;
}

class FakeServer : public ComObject<FakeServer, NoScript<host::IServer>> {
 public:
  explicit FakeServer(std::shared_ptr<FakeHostState> state) : state_(std::move(state)) {}

  HRESULT get_ScriptTimeout(std::int32_t* out) override {
    if (out == nullptr) return E_POINTER;
    if (const HRESULT hr = state_->FailureOf(HostCall::ScriptTimeoutGet); Failed(hr)) return hr;
    ++state_->scriptTimeoutGets;
    *out = state_->scriptTimeout;
    return S_OK;
  }

  HRESULT put_ScriptTimeout(std::int32_t seconds) override {
    if (const HRESULT hr = state_->FailureOf(HostCall::ScriptTimeoutPut); Failed(hr)) return hr;
    state_->scriptTimeoutPuts.push_back(seconds);
    state_->scriptTimeout = seconds;
    return S_OK;
  }

  HRESULT MapPath(const Bstr& path, Bstr* out) override {
    if (out == nullptr) return E_POINTER;
    state_->mapPathCalls.push_back(path.str());
    if (const HRESULT hr = state_->FailureOf(HostCall::MapPath); Failed(hr)) return hr;
    if (ClimbsUp(path.view())) return E_FAIL;
    *out = Bstr(JoinToRoot(state_->siteRoot, path.view()));
    return S_OK;
  }

 private:
  std::shared_ptr<FakeHostState> state_;
};

class FakeSession : public ComObject<FakeSession, NoScript<host::ISessionObject>> {
 public:
  explicit FakeSession(std::shared_ptr<FakeHostState> state) : state_(std::move(state)) {}

  HRESULT get_CodePage(std::int32_t* out) override {
    if (out == nullptr) return E_POINTER;
    if (const HRESULT hr = state_->FailureOf(HostCall::SessionCodePage); Failed(hr)) return hr;
    *out = state_->sessionCodePage;
    return S_OK;
  }

  HRESULT put_Timeout(std::int32_t minutes) override {
    if (const HRESULT hr = state_->FailureOf(HostCall::SessionTimeout); Failed(hr)) return hr;
    state_->sessionTimeoutPuts.push_back(minutes);
    return S_OK;
  }

 private:
  std::shared_ptr<FakeHostState> state_;
};

class FakeApplication : public ComObject<FakeApplication, NoScript<host::IApplicationObject>> {};

class FakeScriptingContext
    : public ComObject<FakeScriptingContext, NoScript<host::IScriptingContext>> {
 public:
  FakeScriptingContext(std::shared_ptr<FakeHostState> state, FakeIntrinsics objects)
      : state_(std::move(state)), objects_(std::move(objects)) {}

  HRESULT get_Request(host::IRequest** out) override {
    return HandOut(Intrinsic::Request, objects_.request, out);
  }
  HRESULT get_Response(host::IResponse** out) override {
    return HandOut(Intrinsic::Response, objects_.response, out);
  }
  HRESULT get_Server(host::IServer** out) override {
    return HandOut(Intrinsic::Server, objects_.server, out);
  }
  HRESULT get_Session(host::ISessionObject** out) override {
    return HandOut(Intrinsic::Session, objects_.session, out);
  }
  HRESULT get_Application(host::IApplicationObject** out) override {
    return HandOut(Intrinsic::Application, objects_.application, out);
  }

 private:
  // A removed object gives its configured status (possibly S_OK) and null.
  template <class I>
  HRESULT HandOut(Intrinsic which, const ComPtr<I>& object, I** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    const auto removed = state_->removed.find(which);
    if (removed != state_->removed.end()) return removed->second;
    *out = ComPtr<I>(object).Detach();
    return S_OK;
  }

  std::shared_ptr<FakeHostState> state_;
  FakeIntrinsics objects_;
};

}  // namespace

ComPtr<host::IServer> MakeFakeServer(std::shared_ptr<FakeHostState> state) {
  return AsInterface<host::IServer>(FakeServer::Create(std::move(state)));
}

ComPtr<host::ISessionObject> MakeFakeSession(std::shared_ptr<FakeHostState> state) {
  return AsInterface<host::ISessionObject>(FakeSession::Create(std::move(state)));
}

ComPtr<host::IApplicationObject> MakeFakeApplication() {
  return AsInterface<host::IApplicationObject>(FakeApplication::Create());
}

ComPtr<host::IScriptingContext> MakeFakeScriptingContext(std::shared_ptr<FakeHostState> state,
                                                         FakeIntrinsics objects) {
  return AsInterface<host::IScriptingContext>(
      FakeScriptingContext::Create(std::move(state), std::move(objects)));
}

}  // namespace vant::test
