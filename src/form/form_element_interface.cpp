#include "form/form_element_interface.h"

namespace vant {

const InterfaceInfo& IFormElement::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IFormElement::get_Value>(u"Value", 0),
      Get<&IFormElement::get_FileLen>(u"FileLen", 6),
      Get<&IFormElement::get_FileName>(u"FileName", 7),
      Get<&IFormElement::get_FilePath>(u"FilePath", 8),
      Get<&IFormElement::get_ImageFormat>(u"ImageFormat", 9),
      Get<&IFormElement::get_ImageHeight>(u"ImageHeight", 10),
      Get<&IFormElement::get_ImageWidth>(u"ImageWidth", 11),
      Get<&IFormElement::get_MimeType>(u"MimeType", 12),
      Get<&IFormElement::get_Name>(u"Name", 13),
      Get<&IFormElement::get_LastSavedFileName>(u"LastSavedFileName", 14),
      Get<&IFormElement::get_LastSavedFilePath>(u"LastSavedFilePath", 15),
      Get<&IFormElement::get_TempFilePath>(u"TempFilePath", 19),
      Call<&IFormElement::Save>(u"Save", 1, {u"", true}),
      Call<&IFormElement::SaveAs>(u"SaveAs", 2, {u"", true}),
      Call<&IFormElement::SaveVirtual>(u"SaveVirtual", 3, {u"", true}),
      Call<&IFormElement::SaveAsVirtual>(u"SaveAsVirtual", 4, {u"", true}),
      Call<&IFormElement::SaveAsBlob>(u"SaveAsBlob", 5),
      Call<&IFormElement::IsFileItem>(u"IsFileItem", 16),
      Call<&IFormElement::IsImageItem>(u"IsImageItem", 17),
      Get<&IFormElement::get_FileNameWithoutExt>(u"FileNameWithoutExt", 18),
      Get<&IFormElement::get_FileExtension>(u"FileExtension", 20),
      Get<&IFormElement::get_IsInfected>(u"IsInfected", 21),
      Get<&IFormElement::get_VirusName>(u"VirusName", 22),
  };
  static const InterfaceInfo info{u"IFormElement", kIid, members};
  return info;
}

}  // namespace vant
