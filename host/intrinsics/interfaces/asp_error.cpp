#include "host/intrinsics/interfaces/asp_error.h"

namespace vant::host::intrinsics {

const InterfaceInfo& IAspError::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IAspError::get_ASPCode>(u"ASPCode", 1),
      Get<&IAspError::get_Number>(u"Number", 2),
      Get<&IAspError::get_Category>(u"Category", 3),
      Get<&IAspError::get_File>(u"File", 4),
      Get<&IAspError::get_Line>(u"Line", 5),
      Get<&IAspError::get_Description>(u"Description", 6),
      Get<&IAspError::get_ASPDescription>(u"ASPDescription", 7),
      Get<&IAspError::get_Column>(u"Column", 8),
      Get<&IAspError::get_Source>(u"Source", 9),
  };
  static const InterfaceInfo info{u"IASPError", kIid, members};
  return info;
}

}  // namespace vant::host::intrinsics
