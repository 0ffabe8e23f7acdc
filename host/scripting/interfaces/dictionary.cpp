#include "host/scripting/interfaces/dictionary.h"

namespace vant::host::scripting {

const InterfaceInfo& IScriptingDictionary::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IScriptingDictionary::get_Item>(u"Item", DISPID_VALUE),
      Put<&IScriptingDictionary::put_Item>(u"Item", DISPID_VALUE),
      Call<&IScriptingDictionary::Add>(u"Add", 1),
      Get<&IScriptingDictionary::get_Count>(u"Count", 2),
      Call<&IScriptingDictionary::Exists>(u"Exists", 3),
      Call<&IScriptingDictionary::Items>(u"Items", 4),
      Put<&IScriptingDictionary::put_Key>(u"Key", 5),
      Call<&IScriptingDictionary::Keys>(u"Keys", 6),
      Call<&IScriptingDictionary::Remove>(u"Remove", 7),
      Call<&IScriptingDictionary::RemoveAll>(u"RemoveAll", 8),
      Get<&IScriptingDictionary::get_CompareMode>(u"CompareMode", 9),
      Put<&IScriptingDictionary::put_CompareMode>(u"CompareMode", 9),
      Get<&IScriptingDictionary::NewEnum>(u"_NewEnum", DISPID_NEWENUM),
  };
  static const InterfaceInfo info{u"IDictionary", kIid, members};
  return info;
}

}  // namespace vant::host::scripting
