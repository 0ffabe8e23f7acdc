#include "module/comp_reg.h"

#include <memory>

namespace vant {
namespace {

// Scripts cannot receive output parameters, so a late-bound GetComponents
// returns both arrays as one array of two elements: the class identifiers,
// then the descriptions.
HRESULT InvokeGetComponents(void* self, Variant*, Variant* result) {
  Variant clsids;
  Variant descriptions;
  const HRESULT hr = static_cast<IComponentRegistrar*>(self)->GetComponents(&clsids, &descriptions);
  if (Failed(hr) || result == nullptr) return hr;
  std::unique_ptr<SafeArray> pair = SafeArray::CreateVector(VT_VARIANT, 0, 2);
  if (!pair) return E_OUTOFMEMORY;
  pair->PutElement(0, clsids);
  pair->PutElement(1, descriptions);
  *result = Variant::Array(std::move(pair));
  return hr;
}

MemberInfo GetComponentsMember() {
  MemberInfo m;
  m.name = u"GetComponents";
  m.dispid = 4;
  m.kind = MemberKind::Method;
  m.resultType = VT_VARIANT;
  m.invoke = &InvokeGetComponents;
  return m;
}

}  // namespace

const InterfaceInfo& IComponentRegistrar::TypeInfo() {
  static const MemberInfo members[] = {
      Call<&IComponentRegistrar::Attach>(u"Attach", 1),
      Call<&IComponentRegistrar::RegisterAll>(u"RegisterAll", 2),
      Call<&IComponentRegistrar::UnregisterAll>(u"UnregisterAll", 3),
      GetComponentsMember(),
      Call<&IComponentRegistrar::RegisterComponent>(u"RegisterComponent", 5),
      Call<&IComponentRegistrar::UnregisterComponent>(u"UnregisterComponent", 6),
  };
  static const InterfaceInfo info{u"IComponentRegistrar", kIid, members};
  return info;
}

}  // namespace vant
