#include "host/intrinsics/interfaces/asp_contents.h"

namespace vant::host::intrinsics {

const InterfaceInfo& IAspContents::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IAspContents::get_Item>(u"Item", DISPID_VALUE),
      Put<&IAspContents::put_Item>(u"Item", DISPID_VALUE),
      Get<&IAspContents::get_Count>(u"Count", 1),
      Get<&IAspContents::get_Key>(u"Key", 2),
      Call<&IAspContents::Remove>(u"Remove", 3),
      Call<&IAspContents::RemoveAll>(u"RemoveAll", 4),
      Get<&IAspContents::get__NewEnum>(u"_NewEnum", DISPID_NEWENUM),
  };
  static const InterfaceInfo info{u"IVariantDictionary", kIid, members};
  return info;
}

}  // namespace vant::host::intrinsics
