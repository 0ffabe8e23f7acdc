#include "progress/file_upload_monitor_interface.h"

namespace vant {

const InterfaceInfo& IFileUploadMonitor::TypeInfo() {
  static const MemberInfo members[] = {
      Call<&IFileUploadMonitor::OnStartPage>(u"OnStartPage", 0x60020000),
      Call<&IFileUploadMonitor::OnEndPage>(u"OnEndPage", 0x60020001),
      Call<&IFileUploadMonitor::UseMonitor>(u"UseMonitor", 1),
      Call<&IFileUploadMonitor::ShowMonitor>(u"ShowMonitor", 2),
  };
  static const InterfaceInfo info{u"IFileUploadMonitor", kIid, members};
  return info;
}

}  // namespace vant
