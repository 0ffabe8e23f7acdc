// The file and folder operations shared by FileSystemObject and the File
// and Folder objects: deleting, copying and moving, with wildcards in the
// last segment of the source, each failure raised as the runtime error the
// page expects. Paths are absolute Windows paths (see AbsolutePath).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/automation/automation.h"

namespace vant::host::scripting {

// Deletes the files `target` names (wildcards allowed in its last segment).
// Read-only files need `force` ("Permission denied" otherwise). "File not
// found" when nothing matches, "Path not found" when the folder is missing.
HRESULT DeleteFiles(std::u16string_view target, bool force);

// Deletes the folders `target` names, with their content. "Path not found"
// when nothing matches; a read-only file inside needs `force`.
HRESULT DeleteFolders(std::u16string_view target, bool force);

// Copies the files `source` names to `destination`: into it when it ends
// with "\" or the source has wildcards, else to that name. "File already
// exists" without `overwrite`, "Permission denied" for a read-only target or
// a folder in the way; a failed copy leaves the old target whole.
HRESULT CopyFiles(std::u16string_view source, std::u16string_view destination, bool overwrite);

// Moves files like CopyFiles places them, never replacing ("File already
// exists").
HRESULT MoveFiles(std::u16string_view source, std::u16string_view destination);

// Copies folder trees: into `destination` when it ends with "\" or the
// source has wildcards, else onto that folder (made when missing, merged
// when present).
HRESULT CopyFolders(std::u16string_view source, std::u16string_view destination, bool overwrite);

// Moves folders like CopyFolders places them, never onto anything existing.
HRESULT MoveFolders(std::u16string_view source, std::u16string_view destination);

// Fills `paths` with what `path` names: itself without wildcards (whether or
// not it exists), else the matching files or folders of its folder, by name.
// Fails with "Path not found" when a wildcard's folder cannot be listed.
HRESULT ExpandPattern(std::u16string_view path, bool folders, std::vector<std::u16string>& paths);

}  // namespace vant::host::scripting
