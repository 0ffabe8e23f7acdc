// The fake host's Request: a body served in the sizes asked, with read
// faults, and configurable server variables and cookies.
#include <algorithm>
#include <cstring>
#include <utility>

#include "tests/support/detail/fake_host_state.h"

namespace vant::test {
namespace {

class FakeReadCookie : public ComObject<FakeReadCookie, NoScript<host::IReadCookie>> {
 public:
  FakeReadCookie(std::shared_ptr<FakeHostState> state, std::u16string cookie)
      : state_(std::move(state)), cookie_(std::move(cookie)) {}

  // An unknown cookie or key reads as an empty value, as the real host does.
  HRESULT get_Item(const Variant& key, Variant* out) override {
    if (out == nullptr) return E_POINTER;
    if (const HRESULT hr = state_->FailureOf(HostCall::ReadCookieItem); Failed(hr)) return hr;
    std::u16string upper;
    if (const HRESULT hr = UpperKey(key, &upper); Failed(hr)) return hr;
    *out = Variant();
    const auto cookie = state_->cookies.find(cookie_);
    if (cookie == state_->cookies.end()) return S_OK;
    const auto value = cookie->second.find(upper);
    if (value != cookie->second.end()) *out = Variant::String(Bstr(value->second));
    return S_OK;
  }

 private:
  std::shared_ptr<FakeHostState> state_;
  std::u16string cookie_;
};

template <class Map>
std::vector<std::u16string> KeysOf(const Map& map) {
  std::vector<std::u16string> keys;
  keys.reserve(map.size());
  for (const auto& entry : map) keys.push_back(entry.first);
  return keys;
}

// Where BinaryRead writes its count back: the variant itself, or the one it
// refers to.
Variant& CountSlot(Variant* count) {
  return (count->vt() & VT_BYREF) != 0 && count->byref() != nullptr ? *count->byref() : *count;
}

class FakeRequest
    : public ComObject<FakeRequest, NoScript<host::IRequest>, host::IRequestBodyReader> {
 public:
  explicit FakeRequest(std::shared_ptr<FakeHostState> state) : state_(std::move(state)) {}

  HRESULT QueryInterface(const IID& iid, void** out) override {
    if (iid == host::IRequestBodyReader::kIid && !state_->bodyReader) {
      if (out != nullptr) *out = nullptr;
      return E_NOINTERFACE;
    }
    return ComObject::QueryInterface(iid, out);
  }

  HRESULT ReadBodyInto(std::uint8_t* dst, std::int32_t minimum, std::int32_t capacity,
                       std::int32_t* got) override {
    if (got == nullptr) return E_POINTER;
    *got = 0;
    if (minimum < 0 || capacity < 0 || (dst == nullptr && capacity > 0)) return E_INVALIDARG;
    const auto index = static_cast<std::uint32_t>(state_->readRequests.size());
    state_->readRequests.push_back(capacity);
    const auto fault = state_->readFaults.find(index);
    if (fault != state_->readFaults.end() && fault->second.kind != ReadFault::Kind::Short) {
      return fault->second.kind == ReadFault::Kind::Fail ? fault->second.status : E_FAIL;
    }
    const std::vector<std::int32_t>& atHand = *state_->bodyReader;
    std::int32_t n = std::min(capacity, minimum);
    if (!atHand.empty()) n = std::max(n, std::min(capacity, atHand[index % atHand.size()]));
    if (fault != state_->readFaults.end()) n = std::min(n, std::max(fault->second.limit, 0));
    const std::size_t size =
        std::min(static_cast<std::size_t>(n), state_->body.size() - state_->position);
    if (size != 0) std::memcpy(dst, state_->body.data() + state_->position, size);
    state_->position += size;
    *got = static_cast<std::int32_t>(size);
    return S_OK;
  }

  HRESULT get_TotalBytes(std::int32_t* out) override {
    if (out == nullptr) return E_POINTER;
    if (const HRESULT hr = state_->FailureOf(HostCall::TotalBytes); Failed(hr)) return hr;
    ++state_->totalBytesCalls;
    *out = state_->announced.value_or(static_cast<std::int32_t>(state_->body.size()));
    return S_OK;
  }

  HRESULT BinaryRead(Variant* count, Variant* out) override {
    if (count == nullptr || out == nullptr) return E_POINTER;
    std::int32_t wanted = 0;
    if (Failed(VariantToI4(*count, &wanted))) return DISP_E_TYPEMISMATCH;
    if (wanted < 0) return E_INVALIDARG;
    const auto index = static_cast<std::uint32_t>(state_->readRequests.size());
    state_->readRequests.push_back(wanted);
    const auto fault = state_->readFaults.find(index);
    if (fault != state_->readFaults.end() && fault->second.kind == ReadFault::Kind::Fail) {
      return fault->second.status;
    }
    if (fault != state_->readFaults.end() && fault->second.kind == ReadFault::Kind::NonArray) {
      CountSlot(count) = Variant::I4(0);
      *out = Variant();
      return S_OK;
    }
    std::size_t n =
        std::min(static_cast<std::size_t>(wanted), state_->body.size() - state_->position);
    if (fault != state_->readFaults.end()) {
      n = std::min(n, static_cast<std::size_t>(std::max(fault->second.limit, 0)));
    }
    *out = Variant::Array(SafeArray::FromBytes(state_->body.data() + state_->position, n));
    state_->position += n;
    CountSlot(count) = Variant::I4(static_cast<std::int32_t>(n));
    return S_OK;
  }

  HRESULT get_ServerVariables(host::IRequestDictionary** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (const HRESULT hr = state_->FailureOf(HostCall::ServerVariables); Failed(hr)) return hr;
    // An unknown variable is an empty value, not a failure.
    auto item = [state = state_](const std::u16string& name, Variant* value) {
      const auto found = state->serverVariables.find(ToUpperAscii(name));
      *value =
          found == state->serverVariables.end() ? Variant() : Variant::String(Bstr(found->second));
      return S_OK;
    };
    *out = MakeFakeDictionary(KeysOf(state_->serverVariables), item).Detach();
    return S_OK;
  }

  HRESULT get_Cookies(host::IRequestDictionary** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (const HRESULT hr = state_->FailureOf(HostCall::RequestCookies); Failed(hr)) return hr;
    auto item = [state = state_](const std::u16string& name, Variant* value) {
      ComPtr<FakeReadCookie> cookie = FakeReadCookie::Create(state, ToUpperAscii(name));
      *value = Variant::Dispatch(cookie.get());
      return S_OK;
    };
    *out = MakeFakeDictionary(KeysOf(state_->cookies), item).Detach();
    return S_OK;
  }

 private:
  std::shared_ptr<FakeHostState> state_;
};

}  // namespace

ComPtr<host::IRequest> MakeFakeRequest(std::shared_ptr<FakeHostState> state) {
  return AsInterface<host::IRequest>(FakeRequest::Create(std::move(state)));
}

}  // namespace vant::test
