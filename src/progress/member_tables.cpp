#include "progress/interfaces.h"

namespace vant {

const InterfaceInfo& IProgress::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IProgress::get_TotalSize>(u"TotalSize", 1),
      Get<&IProgress::get_TransferSize>(u"TransferSize", 2),
      Get<&IProgress::get_Percent>(u"Percent", 3),
      Get<&IProgress::get_BytesPerSec>(u"BytesPerSec", 4),
      Get<&IProgress::get_FileName>(u"FileName", 5),
      Get<&IProgress::get_Working>(u"Working", 8),
      Call<&IProgress::SetProgressID>(u"SetProgressID", 6),
      Call<&IProgress::GetProgressID>(u"GetProgressID", 7),
  };
  static const InterfaceInfo info{u"IProgress", kIid, members};
  return info;
}

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
