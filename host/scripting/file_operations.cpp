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

// A folder copied or moved into itself would nest without end.
bool IsInside(std::u16string_view path, std::u16string_view folder) {
  return path.size() > folder.size() && path.starts_with(folder) &&
         (path[folder.size()] == u'\\' || folder.ends_with(u'\\'));
}

// What every copy and move shares: expand the source, check that each
// match is there and that a destination folder exists, then `act` on each
// source and its target in turn, stopping at the first failure.
template <class Act>
HRESULT Transfer(std::u16string_view source, std::u16string_view destination, bool folders,
                 Act&& act) {
  const bool intoFolder = HasWildcard(FileNamePart(source)) || EndsWithSeparator(destination);
  const RuntimeError missing = folders ? RuntimeError::kPathNotFound : RuntimeError::kFileNotFound;
  std::vector<std::u16string> paths;
  if (const HRESULT hr = ExpandPattern(source, folders, paths); Failed(hr)) return hr;
  if (paths.empty()) return Raise(missing);
  if (intoFolder && !fs::FolderExists(destination)) return Raise(RuntimeError::kPathNotFound);
  for (const std::u16string& path : paths) {
    if (!(folders ? fs::FolderExists(path) : fs::FileExists(path))) return Raise(missing);
    const std::u16string target = TargetOf(path, destination, intoFolder);
    if (folders && IsInside(target, path)) return Raise(RuntimeError::kPermissionDenied);
    if (const HRESULT hr = act(path, target); Failed(hr)) return hr;
  }
  return S_OK;
}

}  // namespace

HRESULT ExpandPattern(std::u16string_view path, bool folders, std::vector<std::u16string>& paths) {
  paths.clear();
  const std::u16string_view pattern = FileNamePart(path);
  if (!HasWildcard(pattern)) {
    paths.emplace_back(path);
    return S_OK;
  }
  const std::u16string_view folder = ParentPart(path);
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

HRESULT DeleteFiles(std::u16string_view target, bool force) {
  std::vector<std::u16string> paths;
  if (const HRESULT hr = ExpandPattern(target, false, paths); Failed(hr)) return hr;
  if (HasWildcard(FileNamePart(target)) && paths.empty()) return Raise(RuntimeError::kFileNotFound);
  for (const std::u16string& path : paths) {
    if (fs::FolderExists(path)) return Raise(RuntimeError::kFileNotFound);
    if (!force && IsReadOnlyFile(path)) return Raise(RuntimeError::kPermissionDenied);
    if (fs::Status deleted = fs::DeleteFile(path); !deleted.ok()) {
      return RaiseStatus(deleted, Missing::kFile);
    }
  }
  return S_OK;
}

HRESULT DeleteFolders(std::u16string_view target, bool force) {
  std::vector<std::u16string> paths;
  if (const HRESULT hr = ExpandPattern(target, true, paths); Failed(hr)) return hr;
  if (paths.empty()) return Raise(RuntimeError::kPathNotFound);
  for (const std::u16string& path : paths) {
    if (fs::Status deleted = fs::DeleteFolderTree(path, force); !deleted.ok()) {
      return RaiseStatus(deleted, Missing::kPath);
    }
  }
  return S_OK;
}

HRESULT CopyFiles(std::u16string_view source, std::u16string_view destination, bool overwrite) {
  return Transfer(source, destination, false,
                  [&](const std::u16string& from, const std::u16string& to) {
                    if (IsReadOnlyFile(to)) return Raise(RuntimeError::kPermissionDenied);
                    const fs::Status copied = fs::CopyFile(from, to, overwrite);
                    return copied.ok() ? S_OK : RaiseStatus(copied, Missing::kPath);
                  });
}

HRESULT MoveFiles(std::u16string_view source, std::u16string_view destination) {
  return Transfer(source, destination, false,
                  [&](const std::u16string& from, const std::u16string& to) {
                    if (fs::FolderExists(to)) return Raise(RuntimeError::kFileExists);
                    const fs::Status moved = fs::MoveNoReplace(from, to);
                    return moved.ok() ? S_OK : RaiseStatus(moved, Missing::kPath);
                  });
}

HRESULT CopyFolders(std::u16string_view source, std::u16string_view destination, bool overwrite) {
  return Transfer(source, destination, true,
                  [&](const std::u16string& from, const std::u16string& to) {
                    if (fs::FileExists(to)) return Raise(RuntimeError::kFileExists);
                    const fs::Status copied = fs::CopyFolderTree(from, to, overwrite);
                    return copied.ok() ? S_OK : RaiseStatus(copied, Missing::kPath);
                  });
}

HRESULT MoveFolders(std::u16string_view source, std::u16string_view destination) {
  return Transfer(source, destination, true,
                  [&](const std::u16string& from, const std::u16string& to) {
                    const fs::Status moved = fs::MoveNoReplace(from, to);
                    return moved.ok() ? S_OK : RaiseStatus(moved, Missing::kPath);
                  });
}

}  // namespace vant::host::scripting
