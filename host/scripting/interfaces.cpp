#include "host/scripting/interfaces.h"

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

const InterfaceInfo& IScriptFileSystem::TypeInfo() {
  using I = IScriptFileSystem;
  static const MemberInfo members[] = {
      Get<&I::get_Drives>(u"Drives", 0x271A),
      Call<&I::BuildPath>(u"BuildPath", 0x2710),
      Call<&I::GetDriveName>(u"GetDriveName", 0x2714),
      Call<&I::GetParentFolderName>(u"GetParentFolderName", 0x2715),
      Call<&I::GetFileName>(u"GetFileName", 0x2716),
      Call<&I::GetBaseName>(u"GetBaseName", 0x2717),
      Call<&I::GetExtensionName>(u"GetExtensionName", 0x2718),
      Call<&I::GetAbsolutePathName>(u"GetAbsolutePathName", 0x2712),
      Call<&I::GetTempName>(u"GetTempName", 0x2713),
      Call<&I::DriveExists>(u"DriveExists", 0x271F),
      Call<&I::FileExists>(u"FileExists", 0x2720),
      Call<&I::FolderExists>(u"FolderExists", 0x2721),
      Call<&I::GetDrive>(u"GetDrive", 0x271B),
      Call<&I::GetFile>(u"GetFile", 0x271C),
      Call<&I::GetFolder>(u"GetFolder", 0x271D),
      Call<&I::GetSpecialFolder>(u"GetSpecialFolder", 0x271E),
      Call<&I::DeleteFile>(u"DeleteFile", 0x4B0, {false}),
      Call<&I::DeleteFolder>(u"DeleteFolder", 0x4B1, {false}),
      Call<&I::MoveFile>(u"MoveFile", 0x4B4),
      Call<&I::MoveFolder>(u"MoveFolder", 0x4B5),
      Call<&I::CopyFile>(u"CopyFile", 0x4B2, {true}),
      Call<&I::CopyFolder>(u"CopyFolder", 0x4B3, {true}),
      Call<&I::CreateFolder>(u"CreateFolder", 0x460),
      Call<&I::CreateTextFile>(u"CreateTextFile", 0x44C, {true, false}),
      Call<&I::OpenTextFile>(u"OpenTextFile", 0x44D, {kForReading, false, kTristateFalse}),
  };
  static const InterfaceInfo info{u"IFileSystem3", kIid, members};
  return info;
}

const InterfaceInfo& IScriptFile::TypeInfo() {
  using I = IScriptFile;
  static const MemberInfo members[] = {
      Get<&I::get_Path>(u"Path", 0),
      Get<&I::get_Name>(u"Name", 0x3E8),
      Put<&I::put_Name>(u"Name", 0x3E8),
      Get<&I::get_ShortPath>(u"ShortPath", 0x3EA),
      Get<&I::get_ShortName>(u"ShortName", 0x3E9),
      Get<&I::get_Drive>(u"Drive", 0x3EC),
      Get<&I::get_ParentFolder>(u"ParentFolder", 0x3ED),
      Get<&I::get_Attributes>(u"Attributes", 0x3EB),
      Put<&I::put_Attributes>(u"Attributes", 0x3EB),
      Get<&I::get_DateCreated>(u"DateCreated", 0x3EE),
      Get<&I::get_DateLastModified>(u"DateLastModified", 0x3EF),
      Get<&I::get_DateLastAccessed>(u"DateLastAccessed", 0x3F0),
      Get<&I::get_Size>(u"Size", 0x3F1),
      Get<&I::get_Type>(u"Type", 0x3F2),
      Call<&I::Delete>(u"Delete", 0x4B0, {false}),
      Call<&I::Copy>(u"Copy", 0x4B2, {true}),
      Call<&I::Move>(u"Move", 0x4B4),
      Call<&I::OpenAsTextStream>(u"OpenAsTextStream", 0x44C, {kForReading, kTristateUseDefault}),
  };
  static const InterfaceInfo info{u"IFile", kIid, members};
  return info;
}

const InterfaceInfo& IScriptFolder::TypeInfo() {
  using I = IScriptFolder;
  static const MemberInfo members[] = {
      Get<&I::get_Path>(u"Path", 0),
      Get<&I::get_Name>(u"Name", 0x3E8),
      Put<&I::put_Name>(u"Name", 0x3E8),
      Get<&I::get_ShortPath>(u"ShortPath", 0x3EA),
      Get<&I::get_ShortName>(u"ShortName", 0x3E9),
      Get<&I::get_Drive>(u"Drive", 0x3EC),
      Get<&I::get_ParentFolder>(u"ParentFolder", 0x3ED),
      Get<&I::get_Attributes>(u"Attributes", 0x3EB),
      Put<&I::put_Attributes>(u"Attributes", 0x3EB),
      Get<&I::get_DateCreated>(u"DateCreated", 0x3EE),
      Get<&I::get_DateLastModified>(u"DateLastModified", 0x3EF),
      Get<&I::get_DateLastAccessed>(u"DateLastAccessed", 0x3F0),
      Get<&I::get_Type>(u"Type", 0x3F2),
      Call<&I::Delete>(u"Delete", 0x4B1, {false}),
      Call<&I::Copy>(u"Copy", 0x4B3, {true}),
      Call<&I::Move>(u"Move", 0x4B5),
      Get<&I::get_IsRootFolder>(u"IsRootFolder", 0x2710),
      Get<&I::get_Size>(u"Size", 0x3F1),
      Get<&I::get_SubFolders>(u"SubFolders", 0x2712),
      Get<&I::get_Files>(u"Files", 0x2714),
      Call<&I::CreateTextFile>(u"CreateTextFile", 0x44C, {true, false}),
  };
  static const InterfaceInfo info{u"IFolder", kIid, members};
  return info;
}

const InterfaceInfo& IScriptDrive::TypeInfo() {
  using I = IScriptDrive;
  static const MemberInfo members[] = {
      Get<&I::get_Path>(u"Path", 0),
      Get<&I::get_DriveLetter>(u"DriveLetter", 0x2710),
      Get<&I::get_ShareName>(u"ShareName", 0x2711),
      Get<&I::get_DriveType>(u"DriveType", 0x2712),
      Get<&I::get_RootFolder>(u"RootFolder", 0x2713),
      Get<&I::get_AvailableSpace>(u"AvailableSpace", 0x2714),
      Get<&I::get_FreeSpace>(u"FreeSpace", 0x2715),
      Get<&I::get_TotalSize>(u"TotalSize", 0x2716),
      Get<&I::get_VolumeName>(u"VolumeName", 0x2717),
      Get<&I::get_IsReady>(u"IsReady", 0x271A),
  };
  static const InterfaceInfo info{u"IDrive", kIid, members};
  return info;
}

const InterfaceInfo& IScriptCollection::TypeInfo() {
  using I = IScriptCollection;
  static const MemberInfo members[] = {
      Get<&I::get_Item>(u"Item", 0),
      Get<&I::get_Count>(u"Count", 1),
      Get<&I::NewEnum>(u"_NewEnum", DISPID_NEWENUM),
      Call<&I::Add>(u"Add", 2),
  };
  static const InterfaceInfo info{u"IFileCollection", kIid, members};
  return info;
}

const InterfaceInfo& IScriptTextStream::TypeInfo() {
  using I = IScriptTextStream;
  static const MemberInfo members[] = {
      Get<&I::get_Line>(u"Line", 0x2710),
      Get<&I::get_Column>(u"Column", -529),
      Get<&I::get_AtEndOfStream>(u"AtEndOfStream", 0x2712),
      Get<&I::get_AtEndOfLine>(u"AtEndOfLine", 0x2713),
      Call<&I::Read>(u"Read", 0x2714),
      Call<&I::ReadLine>(u"ReadLine", 0x2715),
      Call<&I::ReadAll>(u"ReadAll", 0x2716),
      Call<&I::Write>(u"Write", 0x2717),
      Call<&I::WriteLine>(u"WriteLine", 0x2718, {u""}),
      Call<&I::WriteBlankLines>(u"WriteBlankLines", 0x2719),
      Call<&I::Skip>(u"Skip", 0x271A),
      Call<&I::SkipLine>(u"SkipLine", 0x271B),
      Call<&I::Close>(u"Close", 0x271C),
  };
  static const InterfaceInfo info{u"ITextStream", kIid, members};
  return info;
}

}  // namespace vant::host::scripting
