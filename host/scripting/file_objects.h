// The File and Folder objects and the Files and SubFolders collections. Each object holds an
// absolute Windows path and asks the file system afresh on every property read; a collection lists
// its folder when it is made. `currentFolder` is the folder relative paths given to the objects'
// Copy, Move and CreateTextFile are taken from.
#pragma once

#include <string>
#include <string_view>

#include "platform/automation/automation.h"

namespace vant::host::scripting {

// A File for an existing file; raises "File not found" otherwise ("Bad
// file name or number" for a path that names nothing).
HRESULT GetFileObject(std::u16string_view path, std::u16string_view currentFolder, IDispatch** out);

// A Folder for an existing folder; raises "Path not found" otherwise.
HRESULT GetFolderObject(std::u16string_view path, std::u16string_view currentFolder,
                        IDispatch** out);

}  // namespace vant::host::scripting
