// FakeHost: builds the fake intrinsic objects over one shared state, takes
// the test's settings and reads back what the objects recorded.
#include "tests/support/fake_host.h"

#include <utility>

#include "tests/support/detail/fake_host_state.h"

namespace vant::test {
namespace {

// References every fake object carries for the fake host itself: its own
// pointer and the scripting context's.
constexpr std::uint32_t kHostReferences = 2;

template <class I>
std::uint32_t ReferencesOf(const ComPtr<I>& object) {
  const std::uint32_t count = object->AddRef();
  object->Release();
  return count - 1 - kHostReferences;
}

// The events of one kind, in order.
std::vector<const ResponseEvent*> EventsOf(const std::vector<ResponseEvent>& events,
                                           ResponseEvent::Kind kind) {
  std::vector<const ResponseEvent*> found;
  for (const ResponseEvent& event : events) {
    if (event.kind == kind) found.push_back(&event);
  }
  return found;
}

const ResponseEvent* LastOf(const std::vector<ResponseEvent>& events, ResponseEvent::Kind kind) {
  const std::vector<const ResponseEvent*> found = EventsOf(events, kind);
  return found.empty() ? nullptr : found.back();
}

}  // namespace

FakeHost::FakeHost()
    : state_(std::make_shared<FakeHostState>()),
      request_(MakeFakeRequest(state_)),
      response_(MakeFakeResponse(state_)),
      server_(MakeFakeServer(state_)),
      session_(MakeFakeSession(state_)),
      application_(MakeFakeApplication()),
      context_(MakeFakeScriptingContext(
          state_, FakeIntrinsics{request_, response_, server_, session_, application_})) {}

FakeHost::~FakeHost() = default;

ComPtr<IUnknown> FakeHost::ScriptingContext() const { return ComPtr<IUnknown>(context_.get()); }
ComPtr<host::IRequest> FakeHost::Request() const { return request_; }
ComPtr<host::IResponse> FakeHost::Response() const { return response_; }
ComPtr<host::IServer> FakeHost::Server() const { return server_; }
ComPtr<host::ISessionObject> FakeHost::Session() const { return session_; }
ComPtr<host::IApplicationObject> FakeHost::Application() const { return application_; }

std::uint32_t FakeHost::References(Intrinsic which) const {
  switch (which) {
    case Intrinsic::Request:
      return ReferencesOf(request_);
    case Intrinsic::Response:
      return ReferencesOf(response_);
    case Intrinsic::Server:
      return ReferencesOf(server_);
    case Intrinsic::Session:
      return ReferencesOf(session_);
    case Intrinsic::Application:
      break;
  }
  return ReferencesOf(application_);
}

void FakeHost::SetBody(std::string_view bytes) { state_->body.assign(bytes.begin(), bytes.end()); }
void FakeHost::SetBody(const std::vector<std::uint8_t>& bytes) { state_->body = bytes; }
void FakeHost::SetTotalBytes(std::int32_t announced) { state_->announced = announced; }

void FakeHost::SetServerVariable(std::u16string_view name, std::u16string_view value) {
  state_->serverVariables[ToUpperAscii(name)] = std::u16string(value);
}

void FakeHost::SetCookie(std::u16string_view cookie, std::u16string_view key,
                         std::u16string_view value) {
  state_->cookies[ToUpperAscii(cookie)][ToUpperAscii(key)] = std::u16string(value);
}

void FakeHost::SetSiteRoot(std::u16string_view windowsPath) { state_->siteRoot = windowsPath; }
void FakeHost::SetScriptTimeout(std::int32_t seconds) { state_->scriptTimeout = seconds; }
void FakeHost::SetSessionCodePage(std::int32_t codePage) { state_->sessionCodePage = codePage; }

void FakeHost::Remove(Intrinsic which, HRESULT status) { state_->removed[which] = status; }
void FakeHost::Fail(HostCall call, HRESULT status) { state_->failures[call] = status; }

void FakeHost::FailReadAt(std::uint32_t n, HRESULT status) {
  state_->readFaults[n] = ReadFault{ReadFault::Kind::Fail, status, 0};
}
void FakeHost::NonArrayReadAt(std::uint32_t n) {
  state_->readFaults[n] = ReadFault{ReadFault::Kind::NonArray, S_OK, 0};
}
void FakeHost::OfferBodyReader(std::vector<std::int32_t> atHand) {
  state_->bodyReader = std::move(atHand);
}
void FakeHost::ShortReadAt(std::uint32_t n, std::int32_t bytes) {
  state_->readFaults[n] = ReadFault{ReadFault::Kind::Short, S_OK, bytes};
}
void FakeHost::FailWriteAt(std::uint32_t n, HRESULT status) { state_->writeFaults[n] = status; }
void FakeHost::DisconnectFrom(std::uint32_t n) { state_->disconnectFrom = n; }
void FakeHost::OfferFileWrites() { state_->offersFileWrites = true; }

std::int32_t FakeHost::TotalBytesCalls() const { return state_->totalBytesCalls; }
std::vector<std::int32_t> FakeHost::ReadRequests() const { return state_->readRequests; }
std::size_t FakeHost::BytesRead() const { return state_->position; }

const std::vector<ResponseEvent>& FakeHost::Events() const { return state_->events; }

std::vector<std::pair<std::u16string, std::u16string>> FakeHost::Headers() const {
  std::vector<std::pair<std::u16string, std::u16string>> headers;
  for (const ResponseEvent* e : EventsOf(state_->events, ResponseEvent::Kind::Header)) {
    headers.emplace_back(e->name, e->text);
  }
  return headers;
}

std::optional<std::u16string> FakeHost::Header(std::u16string_view name) const {
  for (const ResponseEvent* e : EventsOf(state_->events, ResponseEvent::Kind::Header)) {
    if (EqualsNoCase(e->name, name)) return e->text;
  }
  return std::nullopt;
}

std::optional<std::u16string> FakeHost::Status() const {
  const ResponseEvent* e = LastOf(state_->events, ResponseEvent::Kind::Status);
  return e ? std::optional(e->text) : std::nullopt;
}

std::optional<std::u16string> FakeHost::ContentType() const {
  const ResponseEvent* e = LastOf(state_->events, ResponseEvent::Kind::ContentType);
  return e ? std::optional(e->text) : std::nullopt;
}

std::optional<std::int32_t> FakeHost::Expires() const {
  const ResponseEvent* e = LastOf(state_->events, ResponseEvent::Kind::Expires);
  return e ? std::optional(e->number) : std::nullopt;
}

std::optional<bool> FakeHost::Buffer() const {
  const ResponseEvent* e = LastOf(state_->events, ResponseEvent::Kind::Buffer);
  return e ? std::optional(e->number != 0) : std::nullopt;
}

std::vector<CookieWrite> FakeHost::CookieWrites() const {
  std::vector<CookieWrite> writes;
  for (const ResponseEvent* e : EventsOf(state_->events, ResponseEvent::Kind::Cookie)) {
    writes.push_back({e->name, e->key, e->text});
  }
  return writes;
}

std::string FakeHost::Output() const {
  std::string output;
  for (const ResponseEvent& e : state_->events) {
    if (e.kind == ResponseEvent::Kind::Write) output += Utf16ToUtf8(e.text);
    if (e.kind == ResponseEvent::Kind::BinaryWrite || e.kind == ResponseEvent::Kind::FileWrite) {
      output.append(e.bytes.begin(), e.bytes.end());
    }
  }
  return output;
}

std::vector<std::size_t> FakeHost::BinaryWriteSizes() const {
  std::vector<std::size_t> sizes;
  for (const ResponseEvent* e : EventsOf(state_->events, ResponseEvent::Kind::BinaryWrite)) {
    sizes.push_back(e->bytes.size());
  }
  return sizes;
}

int FakeHost::FlushCount() const {
  return static_cast<int>(EventsOf(state_->events, ResponseEvent::Kind::Flush).size());
}
int FakeHost::EndCount() const {
  return static_cast<int>(EventsOf(state_->events, ResponseEvent::Kind::End).size());
}
std::uint32_t FakeHost::ConnectionChecks() const { return state_->connectionChecks; }

std::int32_t FakeHost::ScriptTimeout() const { return state_->scriptTimeout; }
std::vector<std::int32_t> FakeHost::ScriptTimeoutPuts() const { return state_->scriptTimeoutPuts; }
std::int32_t FakeHost::ScriptTimeoutGets() const { return state_->scriptTimeoutGets; }
std::vector<std::u16string> FakeHost::MapPathCalls() const { return state_->mapPathCalls; }
std::vector<std::int32_t> FakeHost::SessionTimeoutPuts() const {
  return state_->sessionTimeoutPuts;
}

}  // namespace vant::test
