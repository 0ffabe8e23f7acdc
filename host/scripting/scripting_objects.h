// Scripting.FileSystemObject, created by the page host without the
// registry. Paths go through the same drive table and path rules as the
// components' (platform/fs), so a page sees the same C:\ world; relative
// paths are taken from the folder of the page that made the object.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/automation/automation.h"

namespace vant::host::scripting {

// Server.MapPath of the creating page: "." gives the page's folder.
using PageMapPath = std::function<std::optional<std::u16string>(std::u16string_view)>;

// A new object for "Scripting.FileSystemObject" (any letter case, with or
// without a version suffix ".1"); nullptr for any other ProgID.
ComPtr<IDispatch> CreateFileSystemObject(std::u16string_view progId, const PageMapPath& mapPath);

}  // namespace vant::host::scripting
