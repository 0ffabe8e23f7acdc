#include "host/scripting/drive_objects.h"

#include <vector>

#include "host/scripting/file_objects.h"
#include "host/scripting/interfaces.h"
#include "host/scripting/script_error.h"
#include "platform/fs/drive_table.h"
#include "platform/fs/file_info.h"
#include "platform/fs/folder.h"

namespace vant::host::scripting {
namespace {

constexpr std::int32_t kFixedDrive = 2;

class DriveObject final
    : public ComObject<DriveObject, DispatchImpl<IScriptDrive>, ISupportErrorInfo> {
 public:
  DriveObject(char16_t letter, std::u16string currentFolder)
      : letter_(letter), currentFolder_(std::move(currentFolder)) {}

  HRESULT get_Path(Bstr* out) override { return Text(std::u16string{letter_, u':'}, out); }
  HRESULT get_DriveLetter(Bstr* out) override { return Text(std::u16string{letter_}, out); }
  HRESULT get_ShareName(Bstr* out) override { return Text(u"", out); }
  HRESULT get_VolumeName(Bstr* out) override { return Text(u"", out); }
  HRESULT get_DriveType(std::int32_t* out) override {
    if (out == nullptr) return E_POINTER;
    *out = kFixedDrive;
    return S_OK;
  }
  HRESULT get_IsReady(VARIANT_BOOL* out) override {
    if (out == nullptr) return E_POINTER;
    *out = ToVariantBool(fs::FolderExists(Root()));
    return S_OK;
  }
  HRESULT get_RootFolder(IDispatch** out) override {
    if (out == nullptr) return E_POINTER;
    return Guarded(kFileSystemSource, [&] { return GetFolderObject(Root(), currentFolder_, out); });
  }
  HRESULT get_AvailableSpace(Variant* out) override {
    return Space(out, [](const fs::VolumeSpace& s) { return s.available; });
  }
  HRESULT get_FreeSpace(Variant* out) override {
    return Space(out, [](const fs::VolumeSpace& s) { return s.free; });
  }
  HRESULT get_TotalSize(Variant* out) override {
    return Space(out, [](const fs::VolumeSpace& s) { return s.total; });
  }
  HRESULT InterfaceSupportsErrorInfo(const IID& iid) override {
    return iid == IScriptDrive::kIid ? S_OK : S_FALSE;
  }

 private:
  std::u16string Root() const { return std::u16string{letter_, u':', u'\\'}; }
  static HRESULT Text(std::u16string_view text, Bstr* out) {
    if (out == nullptr) return E_POINTER;
    return Guarded(kFileSystemSource, [&] {
      *out = Bstr(text);
      return S_OK;
    });
  }
  template <class Pick>
  HRESULT Space(Variant* out, Pick pick) {
    if (out == nullptr) return E_POINTER;
    return Guarded(kFileSystemSource, [&] {
      fs::VolumeSpace space;
      if (!fs::GetVolumeSpace(Root(), space).ok()) return Raise(RuntimeError::kDeviceUnavailable);
      *out = Variant::R8(static_cast<double>(pick(space)));
      return S_OK;
    });
  }

  char16_t letter_;
  std::u16string currentFolder_;
};

class DrivesObject final
    : public ComObject<DrivesObject, DispatchImpl<IScriptCollection>, ISupportErrorInfo> {
 public:
  explicit DrivesObject(std::u16string currentFolder) : currentFolder_(std::move(currentFolder)) {}

  HRESULT get_Item(Variant key, IDispatch** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return Guarded(kFileSystemSource, [&] {
      Bstr drive;
      if (Failed(VariantToBstr(key.Deref(), &drive))) return Raise(RuntimeError::kInvalidCall);
      return GetDriveObject(drive.view(), currentFolder_, out);
    });
  }
  HRESULT get_Count(std::int32_t* out) override {
    if (out == nullptr) return E_POINTER;
    *out = static_cast<std::int32_t>(fs::Drives().size());
    return S_OK;
  }
  HRESULT NewEnum(IUnknown** out) override {
    if (out == nullptr) return E_POINTER;
    return Guarded(kFileSystemSource, [&] {
      std::vector<Variant> items;
      for (const fs::DriveMapping& drive : fs::Drives()) {
        const char16_t letter = static_cast<char16_t>(drive.first);
        items.push_back(
            Variant::AttachDispatch(DriveObject::Create(letter, currentFolder_).Detach()));
      }
      *out = MakeVariantEnumerator(std::move(items)).Detach();
      return S_OK;
    });
  }
  HRESULT Add(const Bstr&, IDispatch** out) override {
    if (out != nullptr) *out = nullptr;
    return Raise(RuntimeError::kInvalidCall);
  }
  HRESULT InterfaceSupportsErrorInfo(const IID& iid) override {
    return iid == IScriptCollection::kIid ? S_OK : S_FALSE;
  }

 private:
  std::u16string currentFolder_;
};

}  // namespace

char16_t DriveLetterOf(std::u16string_view drive) {
  if (drive.empty()) return 0;
  const char16_t letter = drive[0];
  const bool isLetter = (letter >= u'A' && letter <= u'Z') || (letter >= u'a' && letter <= u'z');
  if (!isLetter || (drive.size() > 1 && drive[1] != u':')) return 0;
  if (drive.size() > 2 && drive[2] != u'\\' && drive[2] != u'/') return 0;
  return letter >= u'a' ? static_cast<char16_t>(letter - (u'a' - u'A')) : letter;
}

HRESULT GetDriveObject(std::u16string_view drive, std::u16string_view currentFolder,
                       IDispatch** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  const char16_t letter = DriveLetterOf(drive);
  if (letter == 0) return Raise(RuntimeError::kInvalidCall);
  if (!fs::DriveFolder(static_cast<char>(letter))) return Raise(RuntimeError::kDeviceUnavailable);
  *out = DriveObject::Create(letter, std::u16string(currentFolder)).Detach();
  return S_OK;
}

HRESULT GetDrivesCollection(std::u16string_view currentFolder, IDispatch** out) {
  if (out == nullptr) return E_POINTER;
  *out = DrivesObject::Create(std::u16string(currentFolder)).Detach();
  return S_OK;
}

}  // namespace vant::host::scripting
