#include "form/interfaces.h"

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

const InterfaceInfo& IFormElementCollection::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IFormElementCollection::get_Item>(u"Item", 0, {0.0}),
      Get<&IFormElementCollection::get__NewEnum>(u"_NewEnum", -4),
      Get<&IFormElementCollection::get_Name>(u"Name", 2),
      Get<&IFormElementCollection::get_Value>(u"Value", 3),
      Get<&IFormElementCollection::get_FileLen>(u"FileLen", 10),
      Get<&IFormElementCollection::get_FileName>(u"FileName", 11),
      Get<&IFormElementCollection::get_FilePath>(u"FilePath", 12),
      Get<&IFormElementCollection::get_ImageFormat>(u"ImageFormat", 13),
      Get<&IFormElementCollection::get_ImageHeight>(u"ImageHeight", 14),
      Get<&IFormElementCollection::get_ImageWidth>(u"ImageWidth", 15),
      Get<&IFormElementCollection::get_MimeType>(u"MimeType", 16),
      Get<&IFormElementCollection::get_LastSavedFileName>(u"LastSavedFileName", 17),
      Get<&IFormElementCollection::get_LastSavedFilePath>(u"LastSavedFilePath", 18),
      Get<&IFormElementCollection::get_Count>(u"Count", 19),
      Get<&IFormElementCollection::get_TempFilePath>(u"TempFilePath", 20),
      Get<&IFormElementCollection::get_FileNameWithoutExt>(u"FileNameWithoutExt", 21),
      Get<&IFormElementCollection::get_FileExtension>(u"FileExtension", 24),
      Call<&IFormElementCollection::IsFileItem>(u"IsFileItem", 22),
      Call<&IFormElementCollection::IsImageItem>(u"IsImageItem", 23),
      Call<&IFormElementCollection::Save>(u"Save", 5, {u"", true}),
      Call<&IFormElementCollection::SaveAs>(u"SaveAs", 6, {u"", true}),
      Call<&IFormElementCollection::SaveVirtual>(u"SaveVirtual", 7, {u"", true}),
      Call<&IFormElementCollection::SaveAsVirtual>(u"SaveAsVirtual", 8, {u"", true}),
      Call<&IFormElementCollection::SaveAsBlob>(u"SaveAsBlob", 9),
      Get<&IFormElementCollection::get_IsInfected>(u"IsInfected", 25),
      Get<&IFormElementCollection::get_VirusName>(u"VirusName", 26),
  };
  static const InterfaceInfo info{u"IFormElementCollection", kIid, members};
  return info;
}

const InterfaceInfo& IFormElementMultiCollection::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IFormElementMultiCollection::get_Item>(u"Item", 0, {u"_KWZ_UI_EXP_"}),
      Get<&IFormElementMultiCollection::get__NewEnum>(u"_NewEnum", -4),
      Get<&IFormElementMultiCollection::get_Count>(u"Count", 1),
  };
  static const InterfaceInfo info{u"IFormElementMultiCollection", kIid, members};
  return info;
}

}  // namespace vant
