// CBLOBManager's page members, creator and the shared field check.
#include "blob/blob_manager.h"

#include <new>

#include "frame/class_creators.h"
#include "frame/error_report.h"

namespace vant::blob {
namespace {

const frame::ClassCreatorRegistrar kRegistrar(kBlobManagerClassName, &CreateBlobManager);

}  // namespace

HRESULT CreateBlobManager(const IID& iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  try {
    return CBLOBManager::Create()->QueryInterface(iid, out);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

// An object that is no field, or whose type cannot be read, is no long
// binary field either: the script hears why its call failed.
HRESULT CBLOBManager::LongBinaryField(IUnknown* dbField, ComPtr<ado::IField>* field) {
  std::int32_t type = 0;
  if (dbField == nullptr ||
      Failed(dbField->QueryInterface(ado::IField::kIid, field->ReceiveVoid())) || !*field ||
      Failed((*field)->get_Type(&type)) || type != ado::kAdLongVarBinary) {
    return frame::ReportErrorOnce(errorFlag_, frame::MessageId::kBlobNotLongBinary);
  }
  return S_OK;
}

// A host that cannot answer counts as a client that has gone.
bool CBLOBManager::ClientConnected() const {
  host::IResponse* response = context_.Response();
  VARIANT_BOOL connected = VARIANT_FALSE;
  return response != nullptr && Succeeded(response->IsClientConnected(&connected)) &&
         connected != VARIANT_FALSE;
}

}  // namespace vant::blob
