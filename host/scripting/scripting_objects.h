// The scripting runtime's objects the page host makes without the registry:
// Server.CreateObject consults these makers before the registered classes.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "host/scripting/interfaces.h"
#include "platform/automation/automation.h"

namespace vant::host::scripting {

// A new empty dictionary for "Scripting.Dictionary" (any letter case);
// nullptr for any other ProgID.
ComPtr<IDispatch> CreateDictionaryObject(std::u16string_view progId);

// A new empty dictionary comparing keys in binary mode.
ComPtr<IScriptingDictionary> MakeDictionary();

// Server.MapPath of the creating page: "." gives the page's folder.
using PageMapPath = std::function<std::optional<std::u16string>(std::u16string_view)>;

// A new object for "Scripting.FileSystemObject" (any letter case, with or
// without a version suffix ".1"); nullptr for any other ProgID. Its paths go
// through the same drive table and path rules as the components'
// (platform/fs), so a page sees the same C:\ world; relative paths are taken
// from the folder of the page that made the object.
ComPtr<IDispatch> CreateFileSystemObject(std::u16string_view progId, const PageMapPath& mapPath);

}  // namespace vant::host::scripting
