// The fake host's Response: records every call in order, with write faults
// and a client that can vanish.
#include <unistd.h>

#include <utility>

#include "tests/support/detail/fake_host_state.h"

namespace vant::test {
namespace {

using Kind = ResponseEvent::Kind;

class FakeWriteCookie : public ComObject<FakeWriteCookie, NoScript<host::IWriteCookie>> {
 public:
  FakeWriteCookie(std::shared_ptr<FakeHostState> state, std::u16string cookie)
      : state_(std::move(state)), cookie_(std::move(cookie)) {}

  HRESULT put_Item(const Variant& key, const Bstr& value) override {
    if (const HRESULT hr = state_->FailureOf(HostCall::WriteCookieItem); Failed(hr)) return hr;
    Bstr keyText;
    if (Failed(VariantToBstr(key, &keyText))) return DISP_E_TYPEMISMATCH;
    state_->events.push_back({Kind::Cookie, cookie_, keyText.str(), value.str(), 0, {}});
    return S_OK;
  }

 private:
  std::shared_ptr<FakeHostState> state_;
  std::u16string cookie_;
};

// The Response's IResponseFile when the host offers it: part of the same
// object, so its references are the Response's. WriteFile reads the range
// with pread, as a host would send it.
class FakeFileWriter final : public host::IResponseFile {
 public:
  FakeFileWriter(IUnknown& outer, FakeHostState& state) : outer_(outer), state_(state) {}

  HRESULT QueryInterface(const IID& iid, void** out) override {
    return outer_.QueryInterface(iid, out);
  }
  std::uint32_t AddRef() override { return outer_.AddRef(); }
  std::uint32_t Release() override { return outer_.Release(); }

  HRESULT WriteFile(std::int32_t fd, std::int64_t offset, std::int64_t length) override {
    if (fd < 0 || offset < 0 || length < 0) return E_INVALIDARG;
    const std::uint32_t index = state_.writes++;
    if (const auto fault = state_.writeFaults.find(index); fault != state_.writeFaults.end()) {
      return fault->second;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
    const ssize_t got = ::pread(fd, bytes.data(), bytes.size(), offset);
    if (got < 0) return E_FAIL;
    bytes.resize(static_cast<std::size_t>(got));
    state_.events.push_back({ResponseEvent::Kind::FileWrite, {}, {}, {}, 0, std::move(bytes)});
    return S_OK;
  }

 private:
  IUnknown& outer_;
  FakeHostState& state_;
};

class FakeResponse : public ComObject<FakeResponse, NoScript<host::IResponse>> {
 public:
  explicit FakeResponse(std::shared_ptr<FakeHostState> state)
      : state_(std::move(state)), fileWriter_(*static_cast<host::IResponse*>(this), *state_) {}

  HRESULT put_Buffer(VARIANT_BOOL buffer) override {
    return Record(HostCall::Buffer,
                  {Kind::Buffer, {}, {}, {}, buffer != VARIANT_FALSE ? 1 : 0, {}});
  }
  HRESULT put_ContentType(const Bstr& contentType) override {
    return Record(HostCall::ContentType, {Kind::ContentType, {}, {}, contentType.str(), 0, {}});
  }
  HRESULT put_Expires(std::int32_t minutes) override {
    return Record(HostCall::Expires, {Kind::Expires, {}, {}, {}, minutes, {}});
  }
  HRESULT put_Status(const Bstr& status) override {
    return Record(HostCall::Status, {Kind::Status, {}, {}, status.str(), 0, {}});
  }
  HRESULT AddHeader(const Bstr& name, const Bstr& value) override {
    return Record(HostCall::AddHeader, {Kind::Header, name.str(), {}, value.str(), 0, {}});
  }
  HRESULT Flush() override { return Record(HostCall::Flush, {Kind::Flush, {}, {}, {}, 0, {}}); }
  HRESULT End() override { return Record(HostCall::End, {Kind::End, {}, {}, {}, 0, {}}); }

  HRESULT BinaryWrite(const Variant& data) override {
    if (const HRESULT hr = NextWriteStatus(); Failed(hr)) return hr;
    const Variant& value = data.Deref();
    const SafeArray* array = value.array();
    if (value.vt() != (VT_ARRAY | VT_UI1) || array == nullptr || array->ElementType() != VT_UI1) {
      return DISP_E_TYPEMISMATCH;
    }
    // An empty array may have no storage at all.
    std::vector<std::uint8_t> bytes;
    if (array->Count() != 0) bytes.assign(array->Bytes(), array->Bytes() + array->Count());
    state_->events.push_back({Kind::BinaryWrite, {}, {}, {}, 0, std::move(bytes)});
    return S_OK;
  }

  HRESULT Write(const Variant& text) override {
    if (const HRESULT hr = NextWriteStatus(); Failed(hr)) return hr;
    Bstr value;
    if (Failed(VariantToBstr(text, &value))) return DISP_E_TYPEMISMATCH;
    state_->events.push_back({Kind::Write, {}, {}, value.str(), 0, {}});
    return S_OK;
  }

  HRESULT IsClientConnected(VARIANT_BOOL* out) override {
    if (out == nullptr) return E_POINTER;
    if (const HRESULT hr = state_->FailureOf(HostCall::IsClientConnected); Failed(hr)) return hr;
    const std::uint32_t check = state_->connectionChecks++;
    const bool gone = state_->disconnectFrom.has_value() && check >= *state_->disconnectFrom;
    *out = ToVariantBool(!gone);
    return S_OK;
  }

  HRESULT get_Cookies(host::IRequestDictionary** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (const HRESULT hr = state_->FailureOf(HostCall::ResponseCookies); Failed(hr)) return hr;
    // Response cookies come into being on first use, so every name answers.
    auto item = [state = state_](const std::u16string& name, Variant* value) {
      ComPtr<FakeWriteCookie> cookie = FakeWriteCookie::Create(state, name);
      *value = Variant::Dispatch(cookie.get());
      return S_OK;
    };
    *out = MakeFakeDictionary({}, item).Detach();
    return S_OK;
  }

 protected:
  void* FindExtraInterface(const IID& iid) override {
    if (iid != host::IResponseFile::kIid || !state_->offersFileWrites) return nullptr;
    return static_cast<host::IResponseFile*>(&fileWriter_);
  }

 private:
  HRESULT Record(HostCall call, ResponseEvent event) {
    if (const HRESULT hr = state_->FailureOf(call); Failed(hr)) return hr;
    state_->events.push_back(std::move(event));
    return S_OK;
  }

  // Counts one Write or BinaryWrite and gives the status planned for it.
  HRESULT NextWriteStatus() {
    const std::uint32_t index = state_->writes++;
    const auto fault = state_->writeFaults.find(index);
    return fault == state_->writeFaults.end() ? S_OK : fault->second;
  }

  std::shared_ptr<FakeHostState> state_;
  FakeFileWriter fileWriter_;
};

}  // namespace

ComPtr<host::IResponse> MakeFakeResponse(std::shared_ptr<FakeHostState> state) {
  return AsInterface<host::IResponse>(FakeResponse::Create(std::move(state)));
}

}  // namespace vant::test
