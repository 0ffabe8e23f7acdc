#include "download/interfaces.h"

namespace vant {

const InterfaceInfo& IFileDownload::TypeInfo() {
  static const MemberInfo members[] = {
      Call<&IFileDownload::OnStartPage>(u"OnStartPage", 0x60020000),
      Call<&IFileDownload::OnEndPage>(u"OnEndPage", 0x60020001),
      Call<&IFileDownload::Download>(u"Download", 1, {u"", false, false}),
      Call<&IFileDownload::DownloadVirtual>(u"DownloadVirtual", 2, {u"", false, false}),
      Call<&IFileDownload::DownloadBlob>(u"DownloadBlob", 3, {false}),
  };
  static const InterfaceInfo info{u"IFileDownload", kIid, members};
  return info;
}

const InterfaceInfo& IManager::TypeInfo() {
  static const MemberInfo members[] = {
      Call<&IManager::OnStartPage>(u"OnStartPage", 0x60020000),
      Call<&IManager::OnEndPage>(u"OnEndPage", 0x60020001),
      Get<&IManager::get__NewEnum>(u"_NewEnum", -4),
      Call<&IManager::AddCacheFile>(u"AddCacheFile", 1),
      Call<&IManager::RemoveCacheFile>(u"RemoveCacheFile", 2),
  };
  static const InterfaceInfo info{u"IManager", kIid, members};
  return info;
}

}  // namespace vant
