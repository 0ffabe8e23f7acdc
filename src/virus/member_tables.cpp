#include "virus/interfaces.h"

namespace vant {

const InterfaceInfo& IIVirusInfo::TypeInfo() {
  static const MemberInfo members[] = {
      Call<&IIVirusInfo::OnStartPage>(u"OnStartPage", 0x60020000),
      Call<&IIVirusInfo::OnEndPage>(u"OnEndPage", 0x60020001),
      Get<&IIVirusInfo::get_ScanMode>(u"ScanMode", 1),
      Put<&IIVirusInfo::put_ScanMode>(u"ScanMode", 1),
      Get<&IIVirusInfo::get_AutoRemovingInfectedFile>(u"AutoRemovingInfectedFile", 2),
      Put<&IIVirusInfo::put_AutoRemovingInfectedFile>(u"AutoRemovingInfectedFile", 2),
      Get<&IIVirusInfo::get_ScanOption>(u"ScanOption", 3),
      Put<&IIVirusInfo::put_ScanOption>(u"ScanOption", 3),
      Get<&IIVirusInfo::get_ScannedCount>(u"ScannedCount", 4),
      Put<&IIVirusInfo::put_ScannedCount>(u"ScannedCount", 4),
      Get<&IIVirusInfo::get_InfectedCount>(u"InfectedCount", 5),
      Put<&IIVirusInfo::put_InfectedCount>(u"InfectedCount", 5),
      Get<&IIVirusInfo::get_RepairedCount>(u"RepairedCount", 6),
      Put<&IIVirusInfo::put_RepairedCount>(u"RepairedCount", 6),
      Get<&IIVirusInfo::get_RemovedCount>(u"RemovedCount", 7),
      Put<&IIVirusInfo::put_RemovedCount>(u"RemovedCount", 7),
      Get<&IIVirusInfo::get_TempPath>(u"TempPath", 8),
      Put<&IIVirusInfo::put_TempPath>(u"TempPath", 8),
  };
  static const InterfaceInfo info{u"IIVirusInfo", kIid, members};
  return info;
}

}  // namespace vant
