// The class table: every class a page can create by identifier, with its
// identifiers, registry data and default interface, plus the internal form
// classes that other objects create. The interfaces' member tables are their
// TypeInfo(); each entry points at it.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "frame/class_creators.h"
#include "frame/class_info.h"
#include "platform/automation/guid.h"

namespace vant::frame {

// The creatable classes in registration order.
std::span<const ClassInfo> CreatableClasses();

// FormElement, FormElementCollection, FormElementMultiCollection: their
// registration data exists but is never written, and no identifier creates them.
std::span<const ClassInfo> InternalClasses();

// The creatable class with this identifier, or nullptr.
const ClassInfo* FindClass(const CLSID& clsid);

// The identifier of the creatable class named `name` ("FileUpload"), or
// GUID_NULL. Identifiers are written down once, in the table.
CLSID ClassIdOf(std::u16string_view name);

// The creator of the creatable class with this identifier: the one its
// component registered under the class's name (the registrar class's own for
// CompReg), or nullptr for an identifier outside the table or a class whose
// component did not register.
ClassCreator FindClassCreator(const CLSID& clsid);

// Every interface of the type library (creatable classes' first, then the
// internal ones), each once.
std::vector<const ClassInfo*> LibraryInterfaces();

}  // namespace vant::frame
