// How a component library makes its class creatable without the frame
// depending on it: the component's .cpp holds a static registrar object that
// hands the frame a creator for its class identifier when the module loads.
//
//   namespace {
//   const frame::ClassCreatorRegistrar kRegistrar(kFileUploadClsid, &CreateFileUpload);
//   }
//
// A creator makes one object and hands out interface `iid` of it (an
// AddRef'd pointer in *out, or a failure and *out = nullptr).
#pragma once

#include "platform/automation/guid.h"
#include "platform/automation/hresult.h"

namespace vant::frame {

using ClassCreator = HRESULT (*)(const IID& iid, void** out);

// Records the creator of a class of the class table. False (nothing
// recorded) for an identifier outside the table, a null creator, or a class
// that has a creator already.
bool RegisterClassCreator(const CLSID& clsid, ClassCreator create);

// The creator of the class, or nullptr when none was registered.
ClassCreator FindClassCreator(const CLSID& clsid);

// Registers a creator during static initialisation.
struct ClassCreatorRegistrar {
  ClassCreatorRegistrar(const CLSID& clsid, ClassCreator create) {
    RegisterClassCreator(clsid, create);
  }
};

}  // namespace vant::frame
