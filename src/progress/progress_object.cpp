#include "progress/progress_object.h"

#include <new>

#include "frame/class_creators.h"
#include "frame/page_context.h"
#include "platform/host/scripting_context.h"

namespace vant::progress {
namespace {

// Progress has no OnStartPage; the host hands it the page as its site, from
// which it takes only the request's session key: a record of another
// session's upload then reads as no record at all.
class CProgress : public ComObject<CProgress, DispatchImpl<IProgress>, host::IObjectWithSite> {
 public:
  explicit CProgress(ProgressTable& table) : table_(table) {}

  HRESULT SetSite(IUnknown* site) override;
  HRESULT GetSite(const IID&, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return E_FAIL;
  }

  HRESULT get_TotalSize(std::int32_t* out) override { return Give(totalSize_, out); }
  HRESULT get_TransferSize(std::int32_t* out) override { return Give(transferSize_, out); }
  HRESULT get_Percent(std::int32_t* out) override { return Give(percent_, out); }
  HRESULT get_BytesPerSec(std::int32_t* out) override { return Give(bytesPerSec_, out); }
  HRESULT get_FileName(Bstr* out) override;
  HRESULT get_Working(VARIANT_BOOL* out) override {
    if (out == nullptr) return E_POINTER;
    *out = ToVariantBool(working_);
    return S_OK;
  }
  HRESULT SetProgressID(std::int32_t lProgressID) override;
  HRESULT GetProgressID(std::int32_t* out) override;

 private:
  static HRESULT Give(std::int32_t value, std::int32_t* out) {
    if (out == nullptr) return E_POINTER;
    *out = value;
    return S_OK;
  }
  void TakeSnapshot(std::int32_t id);

  ProgressTable& table_;
  std::u16string readerKey_;  // the session key of the page that made it
  std::int32_t id_ = -1;
  std::int32_t totalSize_ = 0;
  std::int32_t transferSize_ = 0;
  std::int32_t percent_ = 0;
  std::int32_t bytesPerSec_ = 0;
  std::u16string fileName_;
  bool working_ = true;
  frame::ModuleLock lock_;
};

HRESULT CProgress::get_FileName(Bstr* out) {
  if (out == nullptr) return E_POINTER;
  try {
    *out = Bstr(fileName_);
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

HRESULT CProgress::SetSite(IUnknown* site) {
  try {
    readerKey_.clear();
    ComPtr<host::IScriptingContext> context;
    if (site == nullptr ||
        Failed(site->QueryInterface(host::IScriptingContext::kIid, context.ReceiveVoid())) ||
        !context) {
      return S_OK;
    }
    ComPtr<host::IRequest> request;
    if (Succeeded(context->get_Request(request.Receive()))) {
      readerKey_ = frame::SessionKeyOf(request.get());
    }
    return S_OK;
  } catch (...) {
    return E_FAIL;
  }
}

HRESULT CProgress::SetProgressID(std::int32_t lProgressID) {
  if (lProgressID < 0) return S_OK;
  try {
    TakeSnapshot(lProgressID);
  } catch (...) {
    // The snapshot is incomplete: say the upload is over rather than guess.
    working_ = false;
  }
  return S_OK;
}

void CProgress::TakeSnapshot(std::int32_t id) {
  const std::optional<ProgressSnapshot> snapshot = table_.Snapshot(id, readerKey_);
  if (!snapshot) return;  // an unknown id keeps the earlier attachment
  id_ = id;
  totalSize_ = snapshot->record.total;
  transferSize_ = snapshot->transferred;
  percent_ = snapshot->percent;
  bytesPerSec_ = snapshot->bytesPerSec;
  fileName_ = snapshot->record.currentName;
  working_ = (snapshot->record.working & 0xFF) != 0;
}

HRESULT CProgress::GetProgressID(std::int32_t* out) {
  if (out == nullptr) return E_POINTER;
  *out = -1;
  try {
    const std::optional<std::int32_t> id = table_.AllocateProgressId();
    if (!id) return E_FAIL;
    *out = *id;
    return S_OK;
  } catch (...) {
    return E_FAIL;
  }
}

const frame::ClassCreatorRegistrar kRegistrar(kProgressClassName, &CreateProgress);

}  // namespace

ComPtr<IProgress> MakeProgress(ProgressTable& table) {
  ComPtr<CProgress> object = CProgress::Create(table);
  return ComPtr<IProgress>(object.get());
}

HRESULT CreateProgress(const IID& iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  try {
    return CProgress::Create(ProgressTable::Instance())->QueryInterface(iid, out);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace vant::progress
