// Scripting.Dictionary, which the page host creates without the registry.
#pragma once

#include <string_view>

#include "host/scripting/interfaces.h"

namespace vant::host::scripting {

// A new empty dictionary for "Scripting.Dictionary" (any letter case);
// nullptr for any other ProgID.
ComPtr<IDispatch> CreateDictionaryObject(std::u16string_view progId);

// A new empty dictionary comparing keys in binary mode.
ComPtr<IScriptingDictionary> MakeDictionary();

}  // namespace vant::host::scripting
