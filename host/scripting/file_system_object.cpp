#include "host/scripting/scripting_objects.h"

#include <cstdio>

#include "host/scripting/drive_objects.h"
#include "host/scripting/file_objects.h"
#include "host/scripting/file_operations.h"
#include "host/scripting/interfaces.h"
#include "host/scripting/script_error.h"
#include "host/scripting/script_path.h"
#include "host/scripting/text_stream.h"
#include "platform/fs/drive_table.h"
#include "platform/fs/file_info.h"
#include "platform/fs/folder.h"
#include "platform/fs/path_map.h"
#include "platform/sys/random.h"

namespace vant::host::scripting {
namespace {

constexpr std::u16string_view kProgId = u"Scripting.FileSystemObject";
constexpr std::u16string_view kVersionOne = u".1";
constexpr std::u16string_view kFallbackFolder = u"C:\\";
constexpr std::int32_t kTemporaryFolder = 2;
// GetTempName: "rad" and five hexadecimal digits, as the runtime names them.
constexpr unsigned kTempNameDigitsMask = 0xFFFFF;

class FileSystemObject final
    : public ComObject<FileSystemObject, DispatchImpl<IScriptFileSystem>, ISupportErrorInfo> {
 public:
  explicit FileSystemObject(std::u16string currentFolder)
      : currentFolder_(std::move(currentFolder)) {}

  HRESULT get_Drives(IDispatch** out) override {
    return Guarded(kFileSystemSource, [&] { return GetDrivesCollection(currentFolder_, out); });
  }
  HRESULT BuildPath(const Bstr& path, const Bstr& name, Bstr* out) override {
    return Text(out, [&] { return JoinPath(path.view(), name.view()); });
  }
  HRESULT GetDriveName(const Bstr& path, Bstr* out) override {
    return Text(out, [&] { return std::u16string(DrivePart(path.view())); });
  }
  HRESULT GetParentFolderName(const Bstr& path, Bstr* out) override {
    return Text(out, [&] { return std::u16string(ParentPart(path.view())); });
  }
  HRESULT GetFileName(const Bstr& path, Bstr* out) override {
    return Text(out, [&] { return std::u16string(FileNamePart(path.view())); });
  }
  HRESULT GetBaseName(const Bstr& path, Bstr* out) override {
    return Text(out, [&] { return std::u16string(BaseNamePart(path.view())); });
  }
  HRESULT GetExtensionName(const Bstr& path, Bstr* out) override {
    return Text(out, [&] { return std::u16string(ExtensionPart(path.view())); });
  }
  HRESULT GetAbsolutePathName(const Bstr& path, Bstr* out) override {
    return Text(out, [&] { return Absolute(path); });
  }
  HRESULT GetTempName(Bstr* out) override {
    if (out == nullptr) return E_POINTER;
    std::uint32_t random = 0;
    if (!sys::TryRandom32(&random)) return Raise(RuntimeError::kDeviceIoError);
    char name[16];
    (void)std::snprintf(name, sizeof name, "rad%05X.tmp", random & kTempNameDigitsMask);
    *out = Bstr(Utf8ToUtf16(name));
    return S_OK;
  }
  HRESULT DriveExists(const Bstr& drive, VARIANT_BOOL* out) override {
    if (out == nullptr) return E_POINTER;
    const char16_t letter = DriveLetterOf(drive.view());
    *out = ToVariantBool(letter != 0 && fs::DriveFolder(static_cast<char>(letter)).has_value());
    return S_OK;
  }
  HRESULT FileExists(const Bstr& path, VARIANT_BOOL* out) override {
    if (out == nullptr) return E_POINTER;
    return Guarded(kFileSystemSource, [&] {
      *out = ToVariantBool(fs::FileExists(Absolute(path)));
      return S_OK;
    });
  }
  HRESULT FolderExists(const Bstr& path, VARIANT_BOOL* out) override {
    if (out == nullptr) return E_POINTER;
    return Guarded(kFileSystemSource, [&] {
      *out = ToVariantBool(fs::FolderExists(Absolute(path)));
      return S_OK;
    });
  }
  HRESULT GetDrive(const Bstr& drive, IDispatch** out) override {
    return Guarded(kFileSystemSource,
                   [&] { return GetDriveObject(drive.view(), currentFolder_, out); });
  }
  HRESULT GetFile(const Bstr& path, IDispatch** out) override {
    return Guarded(kFileSystemSource,
                   [&] { return GetFileObject(Absolute(path), currentFolder_, out); });
  }
  HRESULT GetFolder(const Bstr& path, IDispatch** out) override {
    return Guarded(kFileSystemSource,
                   [&] { return GetFolderObject(Absolute(path), currentFolder_, out); });
  }
  // Only the temporary folder exists on this host; the system folders of
  // the platform have no counterpart a page could use.
  HRESULT GetSpecialFolder(std::int32_t which, IDispatch** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return Guarded(kFileSystemSource, [&] {
      if (which < 0 || which > kTemporaryFolder) return Raise(RuntimeError::kInvalidCall);
      const auto temporary = fs::ToWindowsPath(fs::TemporaryFolder());
      if (which != kTemporaryFolder || !temporary) return Raise(RuntimeError::kPathNotFound);
      return GetFolderObject(*temporary, currentFolder_, out);
    });
  }
  HRESULT DeleteFile(const Bstr& path, VARIANT_BOOL force) override {
    return Guarded(kFileSystemSource,
                   [&] { return DeleteFiles(Absolute(path), force != VARIANT_FALSE); });
  }
  HRESULT DeleteFolder(const Bstr& path, VARIANT_BOOL force) override {
    return Guarded(kFileSystemSource,
                   [&] { return DeleteFolders(Absolute(path), force != VARIANT_FALSE); });
  }
  HRESULT MoveFile(const Bstr& source, const Bstr& destination) override {
    return Guarded(kFileSystemSource,
                   [&] { return MoveFiles(Absolute(source), Target(destination)); });
  }
  HRESULT MoveFolder(const Bstr& source, const Bstr& destination) override {
    return Guarded(kFileSystemSource,
                   [&] { return MoveFolders(Absolute(source), Target(destination)); });
  }
  HRESULT CopyFile(const Bstr& source, const Bstr& destination, VARIANT_BOOL overwrite) override {
    return Guarded(kFileSystemSource, [&] {
      return CopyFiles(Absolute(source), Target(destination), overwrite != VARIANT_FALSE);
    });
  }
  HRESULT CopyFolder(const Bstr& source, const Bstr& destination, VARIANT_BOOL overwrite) override {
    return Guarded(kFileSystemSource, [&] {
      return CopyFolders(Absolute(source), Target(destination), overwrite != VARIANT_FALSE);
    });
  }
  HRESULT CreateFolder(const Bstr& path, IDispatch** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return Guarded(kFileSystemSource, [&] {
      const std::u16string folder = Absolute(path);
      if (fs::Status made = fs::CreateFolder(folder); !made.ok()) {
        return RaiseStatus(made, Missing::kPath);
      }
      return GetFolderObject(folder, currentFolder_, out);
    });
  }
  HRESULT CreateTextFile(const Bstr& path, VARIANT_BOOL overwrite, VARIANT_BOOL unicode,
                         IDispatch** out) override {
    return Guarded(kFileSystemSource, [&] {
      return OpenTextStream(Absolute(path), TextStreamOptions::NewFile(overwrite, unicode), out);
    });
  }
  HRESULT OpenTextFile(const Bstr& path, std::int32_t mode, VARIANT_BOOL create,
                       std::int32_t format, IDispatch** out) override {
    return Guarded(kFileSystemSource, [&] {
      TextStreamOptions options;
      options.mode = mode;
      options.create = create != VARIANT_FALSE;
      options.format = format;
      return OpenTextStream(Absolute(path), options, out);
    });
  }
  HRESULT InterfaceSupportsErrorInfo(const IID& iid) override {
    return iid == IScriptFileSystem::kIid ? S_OK : S_FALSE;
  }

 private:
  template <class Make>
  static HRESULT Text(Bstr* out, Make&& make) {
    if (out == nullptr) return E_POINTER;
    return Guarded(kFileSystemSource, [&] {
      *out = Bstr(make());
      return S_OK;
    });
  }
  std::u16string Absolute(const Bstr& path) const {
    return AbsolutePath(path.view(), currentFolder_);
  }
  std::u16string Target(const Bstr& path) const {
    return AbsoluteTarget(path.view(), currentFolder_);
  }
  std::u16string currentFolder_;
};

bool NamesFileSystemObject(std::u16string_view progId) {
  if (EqualsNoCase(progId, kProgId)) return true;
  return progId.size() == kProgId.size() + kVersionOne.size() &&
         EqualsNoCase(progId.substr(0, kProgId.size()), kProgId) &&
         progId.substr(kProgId.size()) == kVersionOne;
}

}  // namespace

ComPtr<IDispatch> CreateFileSystemObject(std::u16string_view progId, const PageMapPath& mapPath) {
  if (!NamesFileSystemObject(progId)) return nullptr;
  std::optional<std::u16string> pageFolder = mapPath ? mapPath(u".") : std::nullopt;
  // A mapped folder keeps no trailing separator, so joining names stays simple.
  std::u16string folder =
      pageFolder ? AbsolutePath(*pageFolder, kFallbackFolder) : std::u16string(kFallbackFolder);
  auto object = FileSystemObject::Create(std::move(folder));
  return ComPtr<IDispatch>::Attach(object.Detach());
}

}  // namespace vant::host::scripting
