// The state the in-memory host's objects share, and the factories that make
// those objects. Only the fake host's own sources include this.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/fake_host.h"

namespace vant::test {

struct ReadFault {
  enum class Kind : std::uint8_t { Fail, NonArray, Short };
  Kind kind = Kind::Fail;
  HRESULT status = E_FAIL;
  std::int32_t limit = 0;  // Short: most bytes returned
};

struct FakeHostState {
  // Request.
  std::vector<std::uint8_t> body;
  std::size_t position = 0;
  std::optional<std::int32_t> announced;
  std::int32_t totalBytesCalls = 0;
  std::vector<std::int32_t> readRequests;
  std::map<std::uint32_t, ReadFault> readFaults;
  std::optional<std::vector<std::int32_t>> bodyReader;  // IRequestBodyReader offered
  // Keys upper-cased so lookups ignore letter case.
  std::map<std::u16string, std::u16string> serverVariables;
  std::map<std::u16string, std::map<std::u16string, std::u16string>> cookies;

  // Response.
  std::vector<ResponseEvent> events;
  std::uint32_t writes = 0;
  std::map<std::uint32_t, HRESULT> writeFaults;
  std::uint32_t connectionChecks = 0;
  std::optional<std::uint32_t> disconnectFrom;
  bool offersFileWrites = false;

  // Server and Session.
  std::u16string siteRoot = u"C:\\site";
  std::int32_t scriptTimeout = 90;
  std::int32_t scriptTimeoutGets = 0;
  std::vector<std::int32_t> scriptTimeoutPuts;
  std::vector<std::u16string> mapPathCalls;
  std::int32_t sessionCodePage = 65001;
  std::vector<std::int32_t> sessionTimeoutPuts;

  // Faults for whole objects and whole operations.
  std::map<Intrinsic, HRESULT> removed;
  std::map<HostCall, HRESULT> failures;

  // The status configured for `call`, or S_OK when it is to succeed.
  HRESULT FailureOf(HostCall call) const {
    const auto found = failures.find(call);
    return found == failures.end() ? S_OK : found->second;
  }
};

// IDispatch for the fake objects: they are called from C++ only.
template <class I>
class NoScript : public I {
 public:
  HRESULT GetIDsOfNames(std::u16string_view, DISPID*) override { return DISP_E_UNKNOWNNAME; }
  HRESULT Invoke(DISPID, std::uint16_t, DispParams&, Variant*) override {
    return DISP_E_MEMBERNOTFOUND;
  }
};

// Hands the one reference of a new fake object out as interface I.
template <class I, class T>
ComPtr<I> AsInterface(ComPtr<T> object) {
  return ComPtr<I>::Attach(object.Detach());
}

// The text of a dictionary key, upper-cased; DISP_E_TYPEMISMATCH when the key
// is no string or number.
HRESULT UpperKey(const Variant& key, std::u16string* out);

// A read-only dictionary: `keys` are what Count and _NewEnum see; `item`
// makes the variant get_Item returns for a key, given as the caller wrote it.
ComPtr<host::IRequestDictionary> MakeFakeDictionary(
    std::vector<std::u16string> keys, std::function<HRESULT(const std::u16string&, Variant*)> item);

ComPtr<host::IRequest> MakeFakeRequest(std::shared_ptr<FakeHostState> state);
ComPtr<host::IResponse> MakeFakeResponse(std::shared_ptr<FakeHostState> state);
ComPtr<host::IServer> MakeFakeServer(std::shared_ptr<FakeHostState> state);
ComPtr<host::ISessionObject> MakeFakeSession(std::shared_ptr<FakeHostState> state);
ComPtr<host::IApplicationObject> MakeFakeApplication();

struct FakeIntrinsics {
  ComPtr<host::IRequest> request;
  ComPtr<host::IResponse> response;
  ComPtr<host::IServer> server;
  ComPtr<host::ISessionObject> session;
  ComPtr<host::IApplicationObject> application;
};
ComPtr<host::IScriptingContext> MakeFakeScriptingContext(std::shared_ptr<FakeHostState> state,
                                                         FakeIntrinsics objects);

}  // namespace vant::test
