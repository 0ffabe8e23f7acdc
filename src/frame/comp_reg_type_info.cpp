#include "frame/comp_reg.h"

namespace vant {
namespace {

// A late-bound GetComponents: the two arrays go to arguments passed by
// reference; an argument passed by value receives nothing.
HRESULT InvokeGetComponents(void* self, Variant* args, Variant*) {
  Variant clsids;
  Variant descriptions;
  const HRESULT hr =
      static_cast<IComponentRegistrar*>(self)->GetComponents(&clsids, &descriptions);
  if (Failed(hr)) return hr;
  if (args[0].vt() == (VT_BYREF | VT_VARIANT)) *args[0].byref() = std::move(clsids);
  if (args[1].vt() == (VT_BYREF | VT_VARIANT)) *args[1].byref() = std::move(descriptions);
  return hr;
}

MemberInfo GetComponentsMember() {
  MemberInfo m;
  m.name = u"GetComponents";
  m.dispid = 4;
  m.kind = MemberKind::Method;
  m.paramCount = 2;
  m.paramTypes[0] = VT_VARIANT;
  m.paramTypes[1] = VT_VARIANT;
  m.defaults[0] = ParamDefault::Optional();
  m.defaults[1] = ParamDefault::Optional();
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
