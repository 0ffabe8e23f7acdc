// Error records and the calling thread's record slot.
#include "platform/automation/error_info.h"

#include <new>
#include <utility>

#include "platform/automation/object.h"

namespace vant {
namespace {

// One object is both the writer (ICreateErrorInfo) and the reader
// (IErrorInfo) of a record, so the creator can QueryInterface from one to the
// other and hand the same object to SetErrorInfo.
class ErrorRecord final : public ComObject<ErrorRecord, ICreateErrorInfo, IErrorInfo> {
 public:
  HRESULT SetGUID(const GUID& guid) override {
    guid_ = guid;
    return S_OK;
  }
  HRESULT SetSource(const Bstr& source) override { return Store(source, &source_); }
  HRESULT SetDescription(const Bstr& description) override {
    return Store(description, &description_);
  }
  HRESULT SetHelpFile(const Bstr& helpFile) override { return Store(helpFile, &helpFile_); }
  HRESULT SetHelpContext(std::uint32_t context) override {
    helpContext_ = context;
    return S_OK;
  }

  HRESULT GetGUID(GUID* out) override {
    if (out == nullptr) return E_POINTER;
    *out = guid_;
    return S_OK;
  }
  HRESULT GetSource(Bstr* out) override { return Load(source_, out); }
  HRESULT GetDescription(Bstr* out) override { return Load(description_, out); }
  HRESULT GetHelpFile(Bstr* out) override { return Load(helpFile_, out); }
  HRESULT GetHelpContext(std::uint32_t* out) override {
    if (out == nullptr) return E_POINTER;
    *out = helpContext_;
    return S_OK;
  }

 private:
  static HRESULT Store(const Bstr& value, Bstr* field) {
    try {
      *field = value;
      return S_OK;
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
  }
  static HRESULT Load(const Bstr& field, Bstr* out) {
    if (out == nullptr) return E_POINTER;
    return Store(field, out);
  }

  GUID guid_;
  Bstr source_;
  Bstr description_;
  Bstr helpFile_;
  std::uint32_t helpContext_ = 0;
};

// The calling thread's record. Released when the thread ends.
thread_local ComPtr<IErrorInfo> tCurrentRecord;

}  // namespace

HRESULT CreateErrorInfo(ICreateErrorInfo** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  try {
    *out = ErrorRecord::Create().Detach();
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT SetErrorInfo(std::uint32_t /*reserved*/, IErrorInfo* info) {
  // Take the new reference before dropping the old one: they may be the same.
  ComPtr<IErrorInfo> incoming(info);
  std::swap(tCurrentRecord, incoming);
  return S_OK;
}

HRESULT GetErrorInfo(std::uint32_t /*reserved*/, IErrorInfo** out) {
  if (out == nullptr) return E_POINTER;
  *out = tCurrentRecord.Detach();
  return *out != nullptr ? S_OK : S_FALSE;
}

}  // namespace vant
