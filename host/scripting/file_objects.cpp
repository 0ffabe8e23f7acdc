#include "host/scripting/file_objects.h"

#include <limits>
#include <vector>

#include "host/scripting/drive_objects.h"
#include "host/scripting/file_operations.h"
#include "host/scripting/interfaces.h"
#include "host/scripting/script_error.h"
#include "host/scripting/script_path.h"
#include "host/scripting/text_stream.h"
#include "platform/fs/file_info.h"
#include "platform/fs/folder.h"
#include "platform/fs/move.h"
#include "platform/fs/path_map.h"

namespace vant::host::scripting {
namespace {

// Sizes travel as a 4-byte integer while they fit, else as a double.
Variant SizeVariant(std::uint64_t size) {
  if (size <= static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
    return Variant::I4(static_cast<std::int32_t>(size));
  }
  return Variant::R8(static_cast<double>(size));
}

std::int32_t AttributesOf(std::u16string_view path, const fs::FileAttributes& info) {
  std::int32_t bits = info.isFolder ? kAttrDirectory : kAttrArchive;
  if (info.readOnly) bits |= kAttrReadOnly;
  if (FileNamePart(path).starts_with(u'.')) bits |= kAttrHidden;
  return bits;
}

// The size of every file under a folder; unreadable parts count nothing.
std::uint64_t TreeSize(const std::u16string& folder, int depth) {
  std::vector<fs::FolderEntry> entries;
  if (depth > fs::kMaxTreeDepth || !fs::ListFolder(folder, entries).ok()) return 0;
  std::uint64_t total = 0;
  for (const fs::FolderEntry& entry : entries) {
    const std::u16string path = JoinPath(folder, entry.name);
    fs::FileAttributes info;
    if (entry.isFolder) {
      total += TreeSize(path, depth + 1);
    } else if (fs::GetAttributes(path, info).ok()) {
      total += info.size;
    }
  }
  return total;
}

// A new name in the same folder: a plain leaf, no separators or wildcards.
bool IsLeafName(std::u16string_view name) {
  return !name.empty() && name != u"." && name != u".." &&
         name.find_first_of(u"\\/*?:") == std::u16string_view::npos;
}

// What File and Folder share: the path and the members that only read it.
template <class Interface, class Self>
class ItemBase : public ComObject<Self, DispatchImpl<Interface>, ISupportErrorInfo> {
 public:
  ItemBase(std::u16string path, std::u16string currentFolder)
      : path_(std::move(path)), currentFolder_(std::move(currentFolder)) {}

  HRESULT get_Path(Bstr* out) override { return Text(path_, out); }
  HRESULT get_Name(Bstr* out) override { return Text(FileNamePart(path_), out); }
  HRESULT get_ShortPath(Bstr* out) override { return Text(path_, out); }
  HRESULT get_ShortName(Bstr* out) override { return Text(FileNamePart(path_), out); }
  HRESULT put_Name(const Bstr& name) override {
    return Guarded(kFileSystemSource, [&] {
      if (!IsLeafName(name.view())) return Raise(RuntimeError::kBadFileName);
      const std::u16string target = JoinPath(ParentPart(path_), name.view());
      if (fs::Status moved = fs::MoveNoReplace(path_, target); !moved.ok()) {
        return RaiseStatus(moved, MissingKind());
      }
      path_ = target;
      return S_OK;
    });
  }
  HRESULT get_Drive(IDispatch** out) override {
    if (out == nullptr) return E_POINTER;
    return Guarded(kFileSystemSource,
                   [&] { return GetDriveObject(DrivePart(path_), currentFolder_, out); });
  }
  HRESULT get_ParentFolder(IDispatch** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return Guarded(kFileSystemSource, [&] {
      const std::u16string_view parent = ParentPart(path_);
      if (parent.empty()) return S_OK;  // a root has none
      return GetFolderObject(parent, currentFolder_, out);
    });
  }
  // The item follows its move: a target ending in "\\" is a folder to go in.
  HRESULT Move(const Bstr& destination) override {
    return Guarded(kFileSystemSource, [&] {
      std::u16string target = Target(destination);
      if (const HRESULT hr = Self::kMove(path_, target); Failed(hr)) return hr;
      if (target.back() == u'\\') target += FileNamePart(path_);
      path_ = AbsolutePath(target, currentFolder_);
      return S_OK;
    });
  }
  HRESULT get_Attributes(std::int32_t* out) override {
    if (out == nullptr) return E_POINTER;
    return WithInfo([&](const fs::FileAttributes& info) { *out = AttributesOf(path_, info); });
  }
  HRESULT put_Attributes(std::int32_t attributes) override {
    return Guarded(kFileSystemSource, [&] {
      const fs::Status set = fs::SetReadOnly(path_, (attributes & kAttrReadOnly) != 0);
      return set.ok() ? S_OK : RaiseStatus(set, MissingKind());
    });
  }
  HRESULT get_DateCreated(Date* out) override {
    if (out == nullptr) return E_POINTER;
    return WithInfo([&](const fs::FileAttributes& info) { *out = Date{info.createdDate}; });
  }
  HRESULT get_DateLastModified(Date* out) override {
    if (out == nullptr) return E_POINTER;
    return WithInfo([&](const fs::FileAttributes& info) { *out = Date{info.LastWriteDate()}; });
  }
  HRESULT get_DateLastAccessed(Date* out) override {
    if (out == nullptr) return E_POINTER;
    return WithInfo([&](const fs::FileAttributes& info) { *out = Date{info.lastAccessDate}; });
  }
  HRESULT InterfaceSupportsErrorInfo(const IID& iid) override {
    return iid == Interface::kIid ? S_OK : S_FALSE;
  }

 protected:
  static HRESULT Text(std::u16string_view text, Bstr* out) {
    if (out == nullptr) return E_POINTER;
    return Guarded(kFileSystemSource, [&] {
      *out = Bstr(text);
      return S_OK;
    });
  }
  // Runs `use` on a fresh stat of the path; a vanished item raises.
  template <class Use>
  HRESULT WithInfo(Use&& use) {
    return Guarded(kFileSystemSource, [&] {
      fs::FileAttributes info;
      if (fs::Status got = fs::GetAttributes(path_, info); !got.ok()) {
        return RaiseStatus(got, MissingKind());
      }
      use(info);
      return S_OK;
    });
  }
  Missing MissingKind() const { return Self::kMissing; }
  std::u16string Target(const Bstr& destination) const {
    return AbsoluteTarget(destination.view(), currentFolder_);
  }

  std::u16string path_;
  std::u16string currentFolder_;
};

class FileObject final : public ItemBase<IScriptFile, FileObject> {
 public:
  static constexpr Missing kMissing = Missing::kFile;
  static constexpr auto kMove = &MoveFiles;
  using ItemBase::ItemBase;

  HRESULT get_Size(Variant* out) override {
    if (out == nullptr) return E_POINTER;
    return WithInfo([&](const fs::FileAttributes& info) { *out = SizeVariant(info.size); });
  }
  HRESULT get_Type(Bstr* out) override {
    const std::u16string_view extension = ExtensionPart(path_);
    return Text(extension.empty() ? u"File" : ToUpperAscii(extension) + u" File", out);
  }
  HRESULT Delete(VARIANT_BOOL force) override {
    return Guarded(kFileSystemSource, [&] {
      fs::FileAttributes info;
      if (fs::Status got = fs::GetAttributes(path_, info); !got.ok()) {
        return RaiseStatus(got, kMissing);
      }
      if (info.readOnly && force == VARIANT_FALSE) return Raise(RuntimeError::kPermissionDenied);
      const fs::Status deleted = fs::DeleteFile(path_);
      return deleted.ok() ? S_OK : RaiseStatus(deleted, kMissing);
    });
  }
  HRESULT Copy(const Bstr& destination, VARIANT_BOOL overwrite) override {
    return Guarded(kFileSystemSource, [&] {
      return CopyFiles(path_, Target(destination), overwrite != VARIANT_FALSE);
    });
  }
  HRESULT OpenAsTextStream(std::int32_t mode, std::int32_t format, IDispatch** out) override {
    return Guarded(kFileSystemSource, [&] {
      TextStreamOptions options;
      options.mode = mode;
      options.format = format;
      return OpenTextStream(path_, options, out);
    });
  }
};

class FolderObject final : public ItemBase<IScriptFolder, FolderObject> {
 public:
  static constexpr Missing kMissing = Missing::kPath;
  static constexpr auto kMove = &MoveFolders;
  using ItemBase::ItemBase;

  HRESULT get_Type(Bstr* out) override { return Text(u"File folder", out); }
  HRESULT Delete(VARIANT_BOOL force) override {
    return Guarded(kFileSystemSource, [&] {
      const fs::Status deleted = fs::DeleteFolderTree(path_, force != VARIANT_FALSE);
      return deleted.ok() ? S_OK : RaiseStatus(deleted, kMissing);
    });
  }
  HRESULT Copy(const Bstr& destination, VARIANT_BOOL overwrite) override {
    return Guarded(kFileSystemSource, [&] {
      return CopyFolders(path_, Target(destination), overwrite != VARIANT_FALSE);
    });
  }
  HRESULT get_IsRootFolder(VARIANT_BOOL* out) override {
    if (out == nullptr) return E_POINTER;
    *out = ToVariantBool(FileNamePart(path_).empty());
    return S_OK;
  }
  HRESULT get_Size(Variant* out) override {
    if (out == nullptr) return E_POINTER;
    return Guarded(kFileSystemSource, [&] {
      if (!fs::FolderExists(path_)) return Raise(RuntimeError::kPathNotFound);
      *out = SizeVariant(TreeSize(path_, 0));
      return S_OK;
    });
  }
  HRESULT get_SubFolders(IDispatch** out) override { return Listing(true, out); }
  HRESULT get_Files(IDispatch** out) override { return Listing(false, out); }
  HRESULT CreateTextFile(const Bstr& name, VARIANT_BOOL overwrite, VARIANT_BOOL unicode,
                         IDispatch** out) override {
    return Guarded(kFileSystemSource, [&] {
      return OpenTextStream(AbsolutePath(name.view(), path_),
                            TextStreamOptions::NewFile(overwrite, unicode), out);
    });
  }

 private:
  HRESULT Listing(bool folders, IDispatch** out);
};

// Files or SubFolders of one folder, listed when made, in name order.
class ListingObject final
    : public ComObject<ListingObject, DispatchImpl<IScriptCollection>, ISupportErrorInfo> {
 public:
  ListingObject(std::u16string folder, std::vector<std::u16string> names, bool folders,
                std::u16string currentFolder)
      : folder_(std::move(folder)),
        names_(std::move(names)),
        folders_(folders),
        currentFolder_(std::move(currentFolder)) {}

  HRESULT get_Item(Variant key, IDispatch** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return Guarded(kFileSystemSource, [&] {
      Bstr name;
      if (Failed(VariantToBstr(key.Deref(), &name))) return Raise(RuntimeError::kInvalidCall);
      for (const std::u16string& candidate : names_) {
        if (candidate == name.view()) return Make(candidate, out);
      }
      for (const std::u16string& candidate : names_) {
        if (EqualsNoCase(candidate, name.view())) return Make(candidate, out);
      }
      return Raise(folders_ ? RuntimeError::kPathNotFound : RuntimeError::kFileNotFound);
    });
  }
  HRESULT get_Count(std::int32_t* out) override {
    if (out == nullptr) return E_POINTER;
    *out = static_cast<std::int32_t>(names_.size());
    return S_OK;
  }
  HRESULT NewEnum(IUnknown** out) override {
    if (out == nullptr) return E_POINTER;
    return Guarded(kFileSystemSource, [&] {
      std::vector<Variant> items;
      items.reserve(names_.size());
      for (const std::u16string& name : names_) {
        IDispatch* item = nullptr;
        if (const HRESULT hr = Make(name, &item); Failed(hr)) return hr;
        items.push_back(Variant::AttachDispatch(item));
      }
      *out = MakeVariantEnumerator(std::move(items)).Detach();
      return S_OK;
    });
  }
  HRESULT Add(const Bstr& name, IDispatch** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return Guarded(kFileSystemSource, [&] {
      if (!folders_) return Raise(RuntimeError::kInvalidCall);
      if (!IsLeafName(name.view())) return Raise(RuntimeError::kBadFileName);
      const std::u16string path = JoinPath(folder_, name.view());
      if (fs::Status made = fs::CreateFolder(path); !made.ok()) {
        return RaiseStatus(made, Missing::kPath);
      }
      names_.push_back(name.str());
      return GetFolderObject(path, currentFolder_, out);
    });
  }
  HRESULT InterfaceSupportsErrorInfo(const IID& iid) override {
    return iid == IScriptCollection::kIid ? S_OK : S_FALSE;
  }

 private:
  // The item is made without a fresh check: it was there at listing time.
  HRESULT Make(const std::u16string& name, IDispatch** out) const {
    const std::u16string path = JoinPath(folder_, name);
    if (folders_) {
      *out = FolderObject::Create(path, currentFolder_).Detach();
    } else {
      *out = FileObject::Create(path, currentFolder_).Detach();
    }
    return S_OK;
  }

  std::u16string folder_;
  std::vector<std::u16string> names_;
  bool folders_;
  std::u16string currentFolder_;
};

HRESULT FolderObject::Listing(bool folders, IDispatch** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  return Guarded(kFileSystemSource, [&] {
    std::vector<fs::FolderEntry> entries;
    if (fs::Status listed = fs::ListFolder(path_, entries); !listed.ok()) {
      return RaiseStatus(listed, kMissing);
    }
    std::vector<std::u16string> names;
    for (fs::FolderEntry& entry : entries) {
      if (entry.isFolder == folders) names.push_back(std::move(entry.name));
    }
    *out = ListingObject::Create(path_, std::move(names), folders, currentFolder_).Detach();
    return S_OK;
  });
}

}  // namespace

HRESULT GetFileObject(std::u16string_view path, std::u16string_view currentFolder,
                      IDispatch** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (!fs::ToHostPath(path)) return Raise(RuntimeError::kBadFileName);
  if (!fs::FileExists(path)) return Raise(RuntimeError::kFileNotFound);
  *out = FileObject::Create(std::u16string(path), std::u16string(currentFolder)).Detach();
  return S_OK;
}

HRESULT GetFolderObject(std::u16string_view path, std::u16string_view currentFolder,
                        IDispatch** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (!fs::ToHostPath(path)) return Raise(RuntimeError::kBadFileName);
  if (!fs::FolderExists(path)) return Raise(RuntimeError::kPathNotFound);
  *out = FolderObject::Create(std::u16string(path), std::u16string(currentFolder)).Detach();
  return S_OK;
}

}  // namespace vant::host::scripting
