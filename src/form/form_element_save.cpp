// The save members of CFormElement: building the target path, the checks in
// their fixed order, and the move of the temporary file.
#include "form/form_element.h"
#include "form/save_paths.h"
#include "frame/member_guard.h"
#include "platform/fs/file_info.h"
#include "platform/fs/move.h"
#include "platform/sys/scan_settings.h"

namespace vant::form {
namespace {

constexpr char16_t kBackslash = u'\\';

bool HasBackslash(std::u16string_view path) {
  return path.find(kBackslash) != std::u16string_view::npos;
}

void SetFlag(const frame::ErrorFlagLink& link) {
  if (link) link->Set();
}

HRESULT ResultOut(const std::u16string& path, Bstr* out) {
  if (out != nullptr) *out = Bstr(path);
  return S_OK;
}

}  // namespace

HRESULT CFormElement::Save(const Bstr& bstrPath, VARIANT_BOOL bOverwrite, Bstr* out) {
  return frame::GuardMember<&IFormElement::Save>(
      kFormElementClass, [&] { return SaveChecked(bstrPath, bOverwrite != VARIANT_FALSE, out); });
}

HRESULT CFormElement::SaveAs(const Bstr& bstrPath, VARIANT_BOOL bOverwrite, Bstr* out) {
  return frame::GuardMember<&IFormElement::SaveAs>(
      kFormElementClass, [&] { return SaveAsChecked(bstrPath, bOverwrite != VARIANT_FALSE, out); });
}

// The virtual forms report their failures as the plain Save and SaveAs.
HRESULT CFormElement::SaveVirtual(const Bstr& bstrPath, VARIANT_BOOL bOverwrite, Bstr* out) {
  return frame::GuardMember<&IFormElement::Save>(kFormElementClass, [&] {
    if (!item_.IsFileItem) return Report(frame::MessageId::kSaveFieldElement, {item_.Name});
    return SaveChecked(Bstr(MapAlways(bstrPath)), bOverwrite != VARIANT_FALSE, out);
  });
}

HRESULT CFormElement::SaveAsVirtual(const Bstr& bstrPath, VARIANT_BOOL bOverwrite, Bstr* out) {
  return frame::GuardMember<&IFormElement::SaveAs>(kFormElementClass, [&] {
    if (!item_.IsFileItem) return Report(frame::MessageId::kSaveFieldElement, {item_.Name});
    return SaveAsChecked(Bstr(MapAlways(bstrPath)), bOverwrite != VARIANT_FALSE, out);
  });
}

// Saves under the sent file name into the folder `bstrPath` names, or into
// DefaultPath. Only the last "/"-free part of the sent name is used, so a
// name like "../../x" stays inside the folder; _Save refuses what is left
// when it cannot name a file there.
HRESULT CFormElement::SaveChecked(const Bstr& bstrPath, bool overwrite, Bstr* out) {
  if (!item_.IsFileItem) return Report(frame::MessageId::kSaveFieldElement, {item_.Name});
  std::u16string path = MapIfVirtual(bstrPath);
  if (path.empty()) {
    path = item_.DefaultPath + kBackslash;
  } else if (path.back() != kBackslash) {
    path += kBackslash;
  }
  path += SentNameLeaf(item_.FileName);
  std::u16string saved;
  const HRESULT hr = _Save(path, overwrite, &saved, true);
  if (Failed(hr)) return hr;
  return ResultOut(saved, out);
}

// Saves under a full path, or under a bare name inside DefaultPath.
HRESULT CFormElement::SaveAsChecked(const Bstr& bstrPath, bool overwrite, Bstr* out) {
  if (!item_.IsFileItem) return Report(frame::MessageId::kSaveFieldElement, {item_.Name});
  if (bstrPath.empty()) return SaveChecked(bstrPath, overwrite, out);
  std::u16string path = MapIfVirtual(bstrPath);
  if (!HasBackslash(path)) path = item_.DefaultPath + kBackslash + path;
  std::u16string saved;
  const HRESULT hr = _Save(path, overwrite, &saved);
  if (Failed(hr)) return hr;
  return ResultOut(saved, out);
}

HRESULT CFormElement::_Save(const std::u16string& target, bool overwrite, std::u16string* savedPath,
                            bool fromSentName) {
  return frame::GuardMember(kFormElementClass, u"_Save", [&] {
    if (const HRESULT hr = CheckSaveable(); hr != S_OK) {
      if (hr == S_FALSE && savedPath != nullptr) savedPath->clear();
      return Succeeded(hr) ? S_OK : hr;
    }
    if (fromSentName && !IsSafeSentName(SentNameLeaf(item_.FileName))) {
      // Reported like the folder check: directly, then the flag is set.
      frame::ReportComponentError(frame::MessageId::kTargetPathNoBackslash, {target});
      SetFlag(item_.errorFlagLink);
      return E_FAIL;
    }
    if (Failed(CheckTargetFolder(target, item_.AutoMakeFolder))) {
      SetFlag(item_.errorFlagLink);
      return E_FAIL;
    }
    std::u16string finalPath;
    if (const HRESULT hr = MoveToTarget(target, overwrite, &finalPath); Failed(hr)) return hr;
    item_.saved = true;
    item_.LastSavedFileName = finalPath.substr(finalPath.rfind(kBackslash) + 1);
    if (savedPath != nullptr) *savedPath = std::move(finalPath);
    return S_OK;
  });
}

// The checks before the target is looked at. S_OK: go on; S_FALSE: the
// browser sent no file and its temporary file is gone, nothing to move.
HRESULT CFormElement::CheckSaveable() {
  if (const HRESULT hr = RefuseIfInfected(); Failed(hr)) return hr;
  if (item_.MaxFileLen < item_.FileLen) {
    return Report(frame::MessageId::kFileTooLarge, {item_.MaxFileLen});
  }
  if (item_.FileName.empty()) {
    if (!fs::DeleteFile(item_.TempFilePath).ok()) {
      return Report(frame::MessageId::kEmptyNameTempNotDeleted, {item_.TempFilePath});
    }
    item_.saved = true;
    return S_FALSE;
  }
  if (item_.saved) return Report(frame::MessageId::kAlreadySaved);
  if (!fs::FileExists(item_.TempFilePath)) return Report(frame::MessageId::kTempFileMissing);
  return S_OK;
}

// With the host's --refuse-infected an infected file never reaches a
// folder or field: its temporary file is deleted and every save fails.
HRESULT CFormElement::RefuseIfInfected() {
  if (!item_.IsInfected || !sys::GetScanSettings().refuseInfected) return S_OK;
  if (!item_.TempFilePath.empty()) (void)fs::DeleteFile(item_.TempFilePath);
  return Report(frame::MessageId::kInfectedNotSaved, {item_.FileName, item_.VirusName.str()});
}

// Moves the temporary file to `target`. With overwrite a file there is
// replaced. Without, the move never replaces anything: a name taken between
// the free-name search and the move (another save of the same name, another
// process) makes it try the next free name, so no file is ever lost.
HRESULT CFormElement::MoveToTarget(const std::u16string& target, bool overwrite,
                                   std::u16string* finalPath) {
  std::u16string candidate = overwrite ? target : MakeUniquePath(target);
  std::uint64_t next = 0;
  for (;;) {
    item_.LastSavedFilePath = candidate;
    const fs::Status moved = overwrite ? fs::MoveReplacing(item_.TempFilePath, candidate)
                                       : fs::MoveNoReplace(item_.TempFilePath, candidate);
    if (moved.ok()) break;
    if (overwrite || !moved.exists()) {
      return Report(frame::MessageId::kMoveFailed, {item_.TempFilePath, candidate});
    }
    do {
      candidate = NumberedPath(target, next++);
    } while (fs::FileExists(candidate));
  }
  *finalPath = std::move(candidate);
  return S_OK;
}

}  // namespace vant::form
