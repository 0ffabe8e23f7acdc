// CFileUpload's settings: the upload folder, code page, limits, time-out,
// progress link and version.
#include <new>

#include "form/delete_mode.h"
#include "frame/member_guard.h"
#include "platform/fs/file_info.h"
#include "upload/c_file_upload.h"

namespace vant::upload {
namespace {

using frame::MessageId;

constexpr std::int32_t kSecondsPerMinute = 60;

template <class T>
HRESULT Give(T value, T* out) {
  if (out == nullptr) return E_POINTER;
  *out = value;
  return S_OK;
}

}  // namespace

HRESULT CFileUpload::get_DefaultPath(Bstr* out) {
  if (out == nullptr) return E_POINTER;
  return errors_.Guard(frame::MemberName<&IFileUpload::get_DefaultPath>(), [&]() -> HRESULT {
    if (!settings_.defaultPathSet) return errors_.Report(MessageId::kDefaultPathNotSet);
    try {
      *out = Bstr(settings_.DefaultPath);
    } catch (const std::bad_alloc&) {
      return errors_.Report(MessageId::kStringNotAllocated);
    }
    return S_OK;
  });
}

HRESULT CFileUpload::put_DefaultPath(const Bstr& value) {
  return errors_.Guard(frame::MemberName<&IFileUpload::put_DefaultPath>(), [&]() -> HRESULT {
    // Until the new folder is accepted, a parse has no folder to write to.
    settings_.defaultPathSet = false;
    return SetDefaultPath(value);
  });
}

HRESULT CFileUpload::SetDefaultPath(const Bstr& value) {
  if (value.size() > kMaxDefaultPathLength) return errors_.Report(MessageId::kPathTooLong);
  Bstr mapped;
  (void)frame::MapPathIfVirtual(context_, value, &mapped);
  settings_.DefaultPath = mapped.str();
  const std::u16string& path = settings_.DefaultPath;
  if (!fs::FolderExists(path)) {
    if (!settings_.AutoMakeFolder) return errors_.Report(MessageId::kTargetFolderMissing, {path});
    if (!fs::CreateFolderTree(path).ok()) {
      return errors_.Report(MessageId::kFolderNotCreated, {path});
    }
  }
  form_->SetDefaultPath(path);
  settings_.defaultPathSet = true;
  return S_OK;
}

HRESULT CFileUpload::get_CodePage(int32_t* out) { return Give(settings_.CodePage, out); }

HRESULT CFileUpload::put_CodePage(int32_t value) {
  settings_.CodePage = value;
  return S_OK;
}

HRESULT CFileUpload::get_AutoMakeFolder(VARIANT_BOOL* out) {
  return Give(ToVariantBool(settings_.AutoMakeFolder), out);
}

HRESULT CFileUpload::put_AutoMakeFolder(VARIANT_BOOL value) {
  settings_.AutoMakeFolder = value != VARIANT_FALSE;
  return form_->SetAutoMakeFolder(settings_.AutoMakeFolder);
}

HRESULT CFileUpload::put_UseIE5BugFix(VARIANT_BOOL value) {
  settings_.UseIE5BugFix = value != VARIANT_FALSE;
  return S_OK;
}

HRESULT CFileUpload::get_Version(Bstr* out) {
  if (out == nullptr) return E_POINTER;
  return errors_.Guard(frame::MemberName<&IFileUpload::get_Version>(), [&]() -> HRESULT {
    try {
      *out = Bstr(kVersionText);
    } catch (const std::bad_alloc&) {
      return errors_.Report(MessageId::kStringNotAllocated);
    }
    return S_OK;
  });
}

HRESULT CFileUpload::put_MaxFileLen(int32_t value) {
  settings_.MaxFileLen = value < 0 || value > kLargestLength ? kLargestLength : value;
  return S_OK;
}

HRESULT CFileUpload::get_MaxFileLen(int32_t* out) { return Give(settings_.MaxFileLen, out); }

HRESULT CFileUpload::get_UploadTimeout(int32_t* out) { return Give(settings_.UploadTimeout, out); }

HRESULT CFileUpload::put_UploadTimeout(int32_t value) {
  return errors_.Guard(frame::MemberName<&IFileUpload::put_UploadTimeout>(), [&]() -> HRESULT {
    settings_.UploadTimeout = value;
    host::IServer* const server = context_.Server();
    if (server == nullptr || Failed(server->put_ScriptTimeout(value))) {
      return errors_.Report(MessageId::kScriptTimeoutNotSet);
    }
    host::ISessionObject* const session = context_.Session();
    if (pageState_.sessionTaken && session != nullptr &&
        Failed(session->put_Timeout(value / kSecondsPerMinute))) {
      return errors_.Report(MessageId::kSessionTimeoutNotSet);
    }
    return S_OK;
  });
}

HRESULT CFileUpload::get_TotalLen(int32_t* out) { return Give(settings_.TotalLen, out); }

HRESULT CFileUpload::put_TotalLen(int32_t value) {
  return errors_.Guard(frame::MemberName<&IFileUpload::put_TotalLen>(), [&]() -> HRESULT {
    if (value > kLargestLength) return errors_.Report(MessageId::kTotalLenTooLarge);
    settings_.TotalLen = value;
    return S_OK;
  });
}

HRESULT CFileUpload::SetProgress(int32_t lProgressID) {
  return errors_.Guard(frame::MemberName<&IFileUpload::SetProgress>(), [&]() -> HRESULT {
    if (parsed_) return errors_.Report(MessageId::kSetProgressAfterParse);
    // An id the table does not hold (or a negative one) leaves the upload
    // without progress; the call still succeeds.
    if (!progress_.Attached())
      progress_.Attach(lProgressID, frame::SessionKeyOf(context_.Request()));
    return S_OK;
  });
}

HRESULT CFileUpload::Flush() { return reader_._Flush(); }

HRESULT CFileUpload::DeleteAllSavedFiles() {
  return form_->DeleteAllSavedFiles(form::DeleteModeAll);
}

HRESULT CFileUpload::get_IVirusInfo(IDispatch** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  return S_OK;
}

}  // namespace vant::upload
