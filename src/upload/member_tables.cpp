#include "upload/interfaces.h"

namespace vant {

const InterfaceInfo& IFileUpload::TypeInfo() {
  static const MemberInfo members[] = {
      Call<&IFileUpload::OnStartPage>(u"OnStartPage", 0x60020000),
      Call<&IFileUpload::OnEndPage>(u"OnEndPage", 0x60020001),
      Get<&IFileUpload::get_Form>(u"Form", 0),
      Get<&IFileUpload::get_DefaultPath>(u"DefaultPath", 1),
      Put<&IFileUpload::put_DefaultPath>(u"DefaultPath", 1),
      Get<&IFileUpload::get_CodePage>(u"CodePage", 2),
      Put<&IFileUpload::put_CodePage>(u"CodePage", 2),
      Get<&IFileUpload::get_AutoMakeFolder>(u"AutoMakeFolder", 3),
      Put<&IFileUpload::put_AutoMakeFolder>(u"AutoMakeFolder", 3),
      Get<&IFileUpload::get_FileLen>(u"FileLen", 10),
      Get<&IFileUpload::get_FileName>(u"FileName", 11),
      Get<&IFileUpload::get_FilePath>(u"FilePath", 12),
      Get<&IFileUpload::get_ImageFormat>(u"ImageFormat", 13),
      Get<&IFileUpload::get_ImageHeight>(u"ImageHeight", 14),
      Get<&IFileUpload::get_ImageWidth>(u"ImageWidth", 15),
      Get<&IFileUpload::get_MimeType>(u"MimeType", 16),
      Get<&IFileUpload::get_LastSavedFileName>(u"LastSavedFileName", 17),
      Get<&IFileUpload::get_LastSavedFilePath>(u"LastSavedFilePath", 18),
      Put<&IFileUpload::put_UseIE5BugFix>(u"UseIE5BugFix", 19),
      Get<&IFileUpload::get_Version>(u"Version", 20),
      Put<&IFileUpload::put_MaxFileLen>(u"MaxFileLen", 22),
      Get<&IFileUpload::get_MaxFileLen>(u"MaxFileLen", 22),
      Get<&IFileUpload::get_UploadTimeout>(u"UploadTimeout", 23),
      Put<&IFileUpload::put_UploadTimeout>(u"UploadTimeout", 23),
      Get<&IFileUpload::get_TotalLen>(u"TotalLen", 28),
      Put<&IFileUpload::put_TotalLen>(u"TotalLen", 28),
      Get<&IFileUpload::get_TempFilePath>(u"TempFilePath", 30),
      Call<&IFileUpload::IsFileItem>(u"IsFileItem", 32),
      Call<&IFileUpload::IsImageItem>(u"IsImageItem", 33),
      Call<&IFileUpload::DeleteAllSavedFiles>(u"DeleteAllSavedFiles", 4),
      Call<&IFileUpload::Save>(u"Save", 5, {u"", true}),
      Call<&IFileUpload::SaveAs>(u"SaveAs", 6, {u"", true}),
      Call<&IFileUpload::SaveVirtual>(u"SaveVirtual", 7, {u"", true}),
      Call<&IFileUpload::SaveAsVirtual>(u"SaveAsVirtual", 8, {u"", true}),
      Call<&IFileUpload::SaveAsBlob>(u"SaveAsBlob", 9),
      Call<&IFileUpload::FileExists>(u"FileExists", 24),
      Call<&IFileUpload::FolderExists>(u"FolderExists", 25),
      Call<&IFileUpload::DeleteFile>(u"DeleteFile", 26),
      Call<&IFileUpload::Flush>(u"Flush", 27),
      Call<&IFileUpload::SetProgress>(u"SetProgress", 29),
      Get<&IFileUpload::get_FileNameWithoutExt>(u"FileNameWithoutExt", 31),
      Get<&IFileUpload::get_FileExtension>(u"FileExtension", 34),
      Get<&IFileUpload::get_IVirusInfo>(u"IVirusInfo", 35),
      Get<&IFileUpload::get_IsInfected>(u"IsInfected", 36),
      Get<&IFileUpload::get_VirusName>(u"VirusName", 37),
  };
  static const InterfaceInfo info{u"IFileUpload", kIid, members};
  return info;
}

}  // namespace vant
