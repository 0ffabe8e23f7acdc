#include "host/scripting/file_operations.h"

#include "host/scripting/script_error.h"
#include "host/scripting/script_path.h"
#include "platform/fs/file_info.h"
#include "platform/fs/folder.h"
#include "platform/fs/move.h"

namespace vant::host::scripting {
namespace {

bool EndsWithSeparator(std::u16string_view path) {
  return !path.empty() && (path.back() == u'\\' || path.back() == u'/');
}

bool IsReadOnlyFile(std::u16string_view path) {
  fs::FileAttributes info;
  return fs::GetAttributes(path, info).ok() && !info.isFolder && info.readOnly;
}

// Where one matched source lands: inside `destination` when it is a folder
// target, else `destination` itself.
std::u16string TargetOf(std::u16string_view source, std::u16string_view destination,
                        bool intoFolder) {
  if (!intoFolder) return std::u16string(destination);
  return JoinPath(destination, FileNamePart(source));
}

// The destination's folder must exist when the sources go into it.
HRESULT CheckIntoFolder(std::u16string_view destination, bool intoFolder) {
  if (intoFolder && !fs::FolderExists(destination)) return Raise(RuntimeError::kPathNotFound);
  return S_OK;
}

}  // namespace

HRESULT ExpandSpec(std::u16string_view spec, bool folders, std::vector<std::u16string>& paths) {
  paths.clear();
  const std::u16string_view pattern = FileNamePart(spec);
  if (!HasWildcard(pattern)) {
    paths.emplace_back(spec);
    return S_OK;
  }
  const std::u16string_view folder = ParentPart(spec);
  std::vector<fs::FolderEntry> entries;
  if (fs::Status listed = fs::ListFolder(folder, entries); !listed.ok()) {
    return RaiseStatus(listed, Missing::kPath);
  }
  for (const fs::FolderEntry& entry : entries) {
    if (entry.isFolder == folders && WildcardMatch(pattern, entry.name)) {
      paths.push_back(JoinPath(folder, entry.name));
    }
  }
  return S_OK;
}

HRESULT DeleteFiles(std::u16string_view spec, bool force) {
  std::vector<std::u16string> paths;
  if (const HRESULT hr = ExpandSpec(spec, false, paths); Failed(hr)) return hr;
  if (HasWildcard(FileNamePart(spec)) && paths.empty()) return Raise(RuntimeError::kFileNotFound);
  for (const std::u16string& path : paths) {
    if (fs::FolderExists(path)) return Raise(RuntimeError::kFileNotFound);
    if (!force && IsReadOnlyFile(path)) return Raise(RuntimeError::kPermissionDenied);
    if (fs::Status deleted = fs::DeleteFile(path); !deleted.ok()) {
      return RaiseStatus(deleted, Missing::kFile);
    }
  }
  return S_OK;
}

HRESULT DeleteFolders(std::u16string_view spec, bool force) {
  std::vector<std::u16string> paths;
  if (const HRESULT hr = ExpandSpec(spec, true, paths); Failed(hr)) return hr;
  if (paths.empty()) return Raise(RuntimeError::kPathNotFound);
  for (const std::u16string& path : paths) {
    if (fs::Status deleted = fs::DeleteFolderTree(path, force); !deleted.ok()) {
      return RaiseStatus(deleted, Missing::kPath);
    }
  }
  return S_OK;
}

HRESULT CopyFiles(std::u16string_view source, std::u16string_view destination, bool overwrite) {
  const bool wildcard = HasWildcard(FileNamePart(source));
  const bool intoFolder = wildcard || EndsWithSeparator(destination);
  std::vector<std::u16string> paths;
  if (const HRESULT hr = ExpandSpec(source, false, paths); Failed(hr)) return hr;
  if (paths.empty()) return Raise(RuntimeError::kFileNotFound);
  if (const HRESULT hr = CheckIntoFolder(destination, intoFolder); Failed(hr)) return hr;
  for (const std::u16string& path : paths) {
    if (!fs::FileExists(path)) return Raise(RuntimeError::kFileNotFound);
    const std::u16string target = TargetOf(path, destination, intoFolder);
    if (IsReadOnlyFile(target)) return Raise(RuntimeError::kPermissionDenied);
    if (fs::Status copied = fs::CopyFile(path, target, overwrite); !copied.ok()) {
      return RaiseStatus(copied, Missing::kPath);
    }
  }
  return S_OK;
}

HRESULT MoveFiles(std::u16string_view source, std::u16string_view destination) {
  const bool intoFolder = HasWildcard(FileNamePart(source)) || EndsWithSeparator(destination);
  std::vector<std::u16string> paths;
  if (const HRESULT hr = ExpandSpec(source, false, paths); Failed(hr)) return hr;
  if (paths.empty()) return Raise(RuntimeError::kFileNotFound);
  if (const HRESULT hr = CheckIntoFolder(destination, intoFolder); Failed(hr)) return hr;
  for (const std::u16string& path : paths) {
    if (!fs::FileExists(path)) return Raise(RuntimeError::kFileNotFound);
    const std::u16string target = TargetOf(path, destination, intoFolder);
    if (fs::FolderExists(target)) return Raise(RuntimeError::kFileExists);
    if (fs::Status moved = fs::MoveNoReplace(path, target); !moved.ok()) {
      return RaiseStatus(moved, Missing::kPath);
    }
  }
  return S_OK;
}

HRESULT CopyFolders(std::u16string_view source, std::u16string_view destination, bool overwrite) {
  const bool intoFolder = HasWildcard(FileNamePart(source)) || EndsWithSeparator(destination);
  std::vector<std::u16string> paths;
  if (const HRESULT hr = ExpandSpec(source, true, paths); Failed(hr)) return hr;
  if (paths.empty()) return Raise(RuntimeError::kPathNotFound);
  if (const HRESULT hr = CheckIntoFolder(destination, intoFolder); Failed(hr)) return hr;
  for (const std::u16string& path : paths) {
    if (!fs::FolderExists(path)) return Raise(RuntimeError::kPathNotFound);
    const std::u16string target = TargetOf(path, destination, intoFolder);
    if (fs::FileExists(target)) return Raise(RuntimeError::kFileExists);
    if (fs::Status copied = fs::CopyFolderTree(path, target, overwrite); !copied.ok()) {
      return RaiseStatus(copied, Missing::kPath);
    }
  }
  return S_OK;
}

HRESULT MoveFolders(std::u16string_view source, std::u16string_view destination) {
  const bool intoFolder = HasWildcard(FileNamePart(source)) || EndsWithSeparator(destination);
  std::vector<std::u16string> paths;
  if (const HRESULT hr = ExpandSpec(source, true, paths); Failed(hr)) return hr;
  if (paths.empty()) return Raise(RuntimeError::kPathNotFound);
  if (const HRESULT hr = CheckIntoFolder(destination, intoFolder); Failed(hr)) return hr;
  for (const std::u16string& path : paths) {
    if (!fs::FolderExists(path)) return Raise(RuntimeError::kPathNotFound);
    if (fs::Status moved = fs::MoveNoReplace(path, TargetOf(path, destination, intoFolder));
        !moved.ok()) {
      return RaiseStatus(moved, Missing::kPath);
    }
  }
  return S_OK;
}

}  // namespace vant::host::scripting
