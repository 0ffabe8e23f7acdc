// Finds a class's identifier in the class table by its name, so the
// registrars of this folder use the one table instead of copies of it.
#pragma once

#include <string_view>

#include "frame/class_table.h"

namespace vant::download {

// The identifier of the creatable class `name` ("FileDownload"), or GUID_NULL.
inline CLSID ClassIdOf(std::u16string_view name) {
  for (const frame::ClassInfo& info : frame::CreatableClasses()) {
    if (info.name == name) return info.clsid;
  }
  return GUID_NULL;
}

}  // namespace vant::download
