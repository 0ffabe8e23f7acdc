// How a component library makes its class creatable without the frame or
// the module's class table depending on it: the component's .cpp holds a
// static registrar object that hands the frame a creator under its class
// name (the name of its class-table entry) when the module loads.
//
//   namespace {
//   const frame::ClassCreatorRegistrar kRegistrar(kFileUploadClassName, &CreateFileUpload);
//   }
//
// A creator makes one object and hands out interface `iid` of it (an
// AddRef'd pointer in *out, or a failure and *out = nullptr).
//
// The module's lock count says how many of the objects so made are alive:
// every live component object and every server lock held on a class object
// adds one, and the module may be unloaded only at zero.
#pragma once

#include <string_view>

#include "platform/automation/guid.h"
#include "platform/automation/hresult.h"

namespace vant::frame {

using ClassCreator = HRESULT (*)(const IID& iid, void** out);

// Records the creator of the class named `className` ("FileUpload"). False
// (nothing recorded) for a null creator or a class that has a creator
// already. Whether the name is in the class table is the table's business:
// a creator under any other name is never found through it.
bool RegisterClassCreator(std::u16string_view className, ClassCreator create);

// The creator registered under `className`, or nullptr.
ClassCreator RegisteredClassCreator(std::u16string_view className);

// Registers a creator during static initialisation.
struct ClassCreatorRegistrar {
  ClassCreatorRegistrar(std::u16string_view className, ClassCreator create) {
    RegisterClassCreator(className, create);
  }
};

void LockModule();
void UnlockModule();
long ModuleLockCount();

// Counts its owner as a live object of the module: a component class holds
// one as a member (or derives from it), so constructing the object locks the
// module and destroying it unlocks it.
class ModuleLock {
 public:
  ModuleLock() { LockModule(); }
  ModuleLock(const ModuleLock&) { LockModule(); }
  ModuleLock& operator=(const ModuleLock&) = default;
  ~ModuleLock() { UnlockModule(); }
};

}  // namespace vant::frame
