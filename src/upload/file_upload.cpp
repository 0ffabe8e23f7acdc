// CFileUpload's lifetime and page binding, and its class creator.
#include "upload/file_upload.h"

#include <memory>
#include <new>

#include "form/delete_mode.h"
#include "frame/class_creators.h"
#include "upload/c_file_upload.h"

namespace vant::upload {

CFileUpload::CFileUpload(progress::ProgressTable& table)
    : errors_(std::make_shared<frame::ErrorFlag>()),
      progress_(table),
      reader_(context_, errors_, progress_) {
  // The first report of the upload drains the body unless that happened.
  errors_.SetDrain([this] {
    if (!reader_.Flushed()) (void)reader_._Flush();
  });
}

HRESULT CFileUpload::FinalConstruct() {
  try {
    form_ = form::CFormElementMultiCollection::Create();
    form_->SetErrorFlagLink(errors_.Flag());
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_FAIL;
  } catch (...) {
    return errors_.UnexpectedNoDrain(u"FinalConstruct");
  }
}

void CFileUpload::FinalRelease() {
  try {
    reader_.ReleaseChunk();
    // Marks the record not working now and resets it a second later on the
    // progress table's timer, so the monitor sees the end and this request
    // thread never waits.
    progress_.Release();
    if (form_) {
      // After an error the whole upload is void: saved files go as well.
      form_->DeleteAllSavedFiles(errors_.IsSet() ? form::DeleteModeAll : form::DeleteModeTempOnly);
    }
    firstFileElement_ = nullptr;
    form_ = nullptr;
  } catch (...) {
    errors_.UnexpectedNoDrain(u"FinalRelease");
  }
}

void CFileUpload::PageStarted() {
  ApplyUploadSessionSettings(context_, settings_.UploadTimeout, &settings_.CodePage, &pageState_);
}

void CFileUpload::PageEnding() { RestoreScriptTimeout(context_, &pageState_); }

HRESULT CFileUpload::PageFailure(std::u16string_view member) {
  return frame::UnexpectedFailure(kFileUploadClass, member);
}

namespace {

const frame::ClassCreatorRegistrar kRegistrar(kFileUploadClassName, &CreateFileUpload);

ComPtr<CFileUpload> MakeObject(progress::ProgressTable& table) {
  ComPtr<CFileUpload> object = CFileUpload::Create(table);
  if (Failed(object->FinalConstruct())) return nullptr;
  return object;
}

}  // namespace

ComPtr<IFileUpload> MakeFileUpload(progress::ProgressTable& table) {
  try {
    ComPtr<CFileUpload> object = MakeObject(table);
    return ComPtr<IFileUpload>(object.get());
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

HRESULT CreateFileUpload(const IID& iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  try {
    ComPtr<CFileUpload> object = MakeObject(progress::ProgressTable::Instance());
    if (!object) return E_FAIL;
    return object->QueryInterface(iid, out);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace vant::upload
