// The scriptable surface of the scripting runtime's objects: each
// interface's IID and member table.
#pragma once

#include <cstdint>

#include "platform/automation/automation.h"

namespace vant::host::scripting {

// The scriptable surface of Scripting.Dictionary: a table of items by key,
// kept in insertion order. Item is the default member, so d("k") reads and
// d("k") = v writes an entry.
// Comparison modes of CompareMode.
inline constexpr std::int32_t kBinaryCompare = 0;
inline constexpr std::int32_t kTextCompare = 1;

// {42C642C1-97E1-11CF-978F-00A02463E06F}
struct IScriptingDictionary : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0x42C642C1, 0x97E1, 0x11CF, 0x97, 0x8F, 0x00, 0xA0, 0x24, 0x63, 0xE0, 0x6F);
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT get_Item(Variant key, Variant* out) = 0;
  virtual HRESULT put_Item(Variant key, Variant value) = 0;
  virtual HRESULT Add(Variant key, Variant item) = 0;
  virtual HRESULT get_Count(std::int32_t* out) = 0;
  virtual HRESULT Exists(Variant key, VARIANT_BOOL* out) = 0;
  virtual HRESULT Items(Variant* out) = 0;
  virtual HRESULT put_Key(Variant key, Variant newKey) = 0;
  virtual HRESULT Keys(Variant* out) = 0;
  virtual HRESULT Remove(Variant key) = 0;
  virtual HRESULT RemoveAll() = 0;
  virtual HRESULT get_CompareMode(std::int32_t* out) = 0;
  virtual HRESULT put_CompareMode(std::int32_t mode) = 0;
  virtual HRESULT NewEnum(IUnknown** out) = 0;
};

// The scriptable surface of Scripting.FileSystemObject and the objects it
// hands out: File, Folder, Drive, their collections and TextStream. Member
// names, dispatch identifiers and order follow the scripting runtime's own
// type library, so pages and early-bound callers find the same members.
// I/O modes of OpenTextFile and OpenAsTextStream.
inline constexpr std::int32_t kForReading = 1;
inline constexpr std::int32_t kForWriting = 2;
inline constexpr std::int32_t kForAppending = 8;

// Text formats: the system default (the ANSI code page here), UTF-16
// little-endian, and the ANSI code page.
inline constexpr std::int32_t kTristateUseDefault = -2;
inline constexpr std::int32_t kTristateTrue = -1;
inline constexpr std::int32_t kTristateFalse = 0;

// File attribute bits.
inline constexpr std::int32_t kAttrReadOnly = 1;
inline constexpr std::int32_t kAttrHidden = 2;
inline constexpr std::int32_t kAttrDirectory = 16;
inline constexpr std::int32_t kAttrArchive = 32;

// {2A0B9D10-4B87-11D3-A97A-00104B365C9F}
struct IScriptFileSystem : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0x2A0B9D10, 0x4B87, 0x11D3, 0xA9, 0x7A, 0x00, 0x10, 0x4B, 0x36, 0x5C, 0x9F);
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT get_Drives(IDispatch** out) = 0;
  virtual HRESULT BuildPath(const Bstr& path, const Bstr& name, Bstr* out) = 0;
  virtual HRESULT GetDriveName(const Bstr& path, Bstr* out) = 0;
  virtual HRESULT GetParentFolderName(const Bstr& path, Bstr* out) = 0;
  virtual HRESULT GetFileName(const Bstr& path, Bstr* out) = 0;
  virtual HRESULT GetBaseName(const Bstr& path, Bstr* out) = 0;
  virtual HRESULT GetExtensionName(const Bstr& path, Bstr* out) = 0;
  virtual HRESULT GetAbsolutePathName(const Bstr& path, Bstr* out) = 0;
  virtual HRESULT GetTempName(Bstr* out) = 0;
  virtual HRESULT DriveExists(const Bstr& drive, VARIANT_BOOL* out) = 0;
  virtual HRESULT FileExists(const Bstr& path, VARIANT_BOOL* out) = 0;
  virtual HRESULT FolderExists(const Bstr& path, VARIANT_BOOL* out) = 0;
  virtual HRESULT GetDrive(const Bstr& drive, IDispatch** out) = 0;
  virtual HRESULT GetFile(const Bstr& path, IDispatch** out) = 0;
  virtual HRESULT GetFolder(const Bstr& path, IDispatch** out) = 0;
  virtual HRESULT GetSpecialFolder(std::int32_t which, IDispatch** out) = 0;
  virtual HRESULT DeleteFile(const Bstr& path, VARIANT_BOOL force) = 0;
  virtual HRESULT DeleteFolder(const Bstr& path, VARIANT_BOOL force) = 0;
  virtual HRESULT MoveFile(const Bstr& source, const Bstr& destination) = 0;
  virtual HRESULT MoveFolder(const Bstr& source, const Bstr& destination) = 0;
  virtual HRESULT CopyFile(const Bstr& source, const Bstr& destination, VARIANT_BOOL overwrite) = 0;
  virtual HRESULT CopyFolder(const Bstr& source, const Bstr& destination,
                             VARIANT_BOOL overwrite) = 0;
  virtual HRESULT CreateFolder(const Bstr& path, IDispatch** out) = 0;
  virtual HRESULT CreateTextFile(const Bstr& path, VARIANT_BOOL overwrite, VARIANT_BOOL unicode,
                                 IDispatch** out) = 0;
  virtual HRESULT OpenTextFile(const Bstr& path, std::int32_t mode, VARIANT_BOOL create,
                               std::int32_t format, IDispatch** out) = 0;
};

// {C7C3F5A4-88A3-11D0-ABCB-00A0C90FFFC0}
struct IScriptFile : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0xC7C3F5A4, 0x88A3, 0x11D0, 0xAB, 0xCB, 0x00, 0xA0, 0xC9, 0x0F, 0xFF, 0xC0);
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT get_Path(Bstr* out) = 0;
  virtual HRESULT get_Name(Bstr* out) = 0;
  virtual HRESULT put_Name(const Bstr& name) = 0;
  virtual HRESULT get_ShortPath(Bstr* out) = 0;
  virtual HRESULT get_ShortName(Bstr* out) = 0;
  virtual HRESULT get_Drive(IDispatch** out) = 0;
  virtual HRESULT get_ParentFolder(IDispatch** out) = 0;
  virtual HRESULT get_Attributes(std::int32_t* out) = 0;
  virtual HRESULT put_Attributes(std::int32_t attributes) = 0;
  virtual HRESULT get_DateCreated(Date* out) = 0;
  virtual HRESULT get_DateLastModified(Date* out) = 0;
  virtual HRESULT get_DateLastAccessed(Date* out) = 0;
  virtual HRESULT get_Size(Variant* out) = 0;
  virtual HRESULT get_Type(Bstr* out) = 0;
  virtual HRESULT Delete(VARIANT_BOOL force) = 0;
  virtual HRESULT Copy(const Bstr& destination, VARIANT_BOOL overwrite) = 0;
  virtual HRESULT Move(const Bstr& destination) = 0;
  virtual HRESULT OpenAsTextStream(std::int32_t mode, std::int32_t format, IDispatch** out) = 0;
};

// {C7C3F5A2-88A3-11D0-ABCB-00A0C90FFFC0}
struct IScriptFolder : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0xC7C3F5A2, 0x88A3, 0x11D0, 0xAB, 0xCB, 0x00, 0xA0, 0xC9, 0x0F, 0xFF, 0xC0);
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT get_Path(Bstr* out) = 0;
  virtual HRESULT get_Name(Bstr* out) = 0;
  virtual HRESULT put_Name(const Bstr& name) = 0;
  virtual HRESULT get_ShortPath(Bstr* out) = 0;
  virtual HRESULT get_ShortName(Bstr* out) = 0;
  virtual HRESULT get_Drive(IDispatch** out) = 0;
  virtual HRESULT get_ParentFolder(IDispatch** out) = 0;
  virtual HRESULT get_Attributes(std::int32_t* out) = 0;
  virtual HRESULT put_Attributes(std::int32_t attributes) = 0;
  virtual HRESULT get_DateCreated(Date* out) = 0;
  virtual HRESULT get_DateLastModified(Date* out) = 0;
  virtual HRESULT get_DateLastAccessed(Date* out) = 0;
  virtual HRESULT get_Type(Bstr* out) = 0;
  virtual HRESULT Delete(VARIANT_BOOL force) = 0;
  virtual HRESULT Copy(const Bstr& destination, VARIANT_BOOL overwrite) = 0;
  virtual HRESULT Move(const Bstr& destination) = 0;
  virtual HRESULT get_IsRootFolder(VARIANT_BOOL* out) = 0;
  virtual HRESULT get_Size(Variant* out) = 0;
  virtual HRESULT get_SubFolders(IDispatch** out) = 0;
  virtual HRESULT get_Files(IDispatch** out) = 0;
  virtual HRESULT CreateTextFile(const Bstr& name, VARIANT_BOOL overwrite, VARIANT_BOOL unicode,
                                 IDispatch** out) = 0;
};

// {C7C3F5A0-88A3-11D0-ABCB-00A0C90FFFC0}
struct IScriptDrive : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0xC7C3F5A0, 0x88A3, 0x11D0, 0xAB, 0xCB, 0x00, 0xA0, 0xC9, 0x0F, 0xFF, 0xC0);
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT get_Path(Bstr* out) = 0;
  virtual HRESULT get_DriveLetter(Bstr* out) = 0;
  virtual HRESULT get_ShareName(Bstr* out) = 0;
  virtual HRESULT get_DriveType(std::int32_t* out) = 0;
  virtual HRESULT get_RootFolder(IDispatch** out) = 0;
  virtual HRESULT get_AvailableSpace(Variant* out) = 0;
  virtual HRESULT get_FreeSpace(Variant* out) = 0;
  virtual HRESULT get_TotalSize(Variant* out) = 0;
  virtual HRESULT get_VolumeName(Bstr* out) = 0;
  virtual HRESULT get_IsReady(VARIANT_BOOL* out) = 0;
};

// Files, SubFolders and Drives: Item by name (drive letter for Drives),
// Count, and enumeration with `new Enumerator(...)`.
// {C7C3F5A5-88A3-11D0-ABCB-00A0C90FFFC0}
struct IScriptCollection : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0xC7C3F5A5, 0x88A3, 0x11D0, 0xAB, 0xCB, 0x00, 0xA0, 0xC9, 0x0F, 0xFF, 0xC0);
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT get_Item(Variant key, IDispatch** out) = 0;
  virtual HRESULT get_Count(std::int32_t* out) = 0;
  virtual HRESULT NewEnum(IUnknown** out) = 0;
  // SubFolders.Add(name); the other collections refuse it.
  virtual HRESULT Add(const Bstr& name, IDispatch** out) = 0;
};

// {53BAD8C1-E718-11CF-893D-00A0C9054228}
struct IScriptTextStream : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0x53BAD8C1, 0xE718, 0x11CF, 0x89, 0x3D, 0x00, 0xA0, 0xC9, 0x05, 0x42, 0x28);
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT get_Line(std::int32_t* out) = 0;
  virtual HRESULT get_Column(std::int32_t* out) = 0;
  virtual HRESULT get_AtEndOfStream(VARIANT_BOOL* out) = 0;
  virtual HRESULT get_AtEndOfLine(VARIANT_BOOL* out) = 0;
  virtual HRESULT Read(std::int32_t count, Bstr* out) = 0;
  virtual HRESULT ReadLine(Bstr* out) = 0;
  virtual HRESULT ReadAll(Bstr* out) = 0;
  virtual HRESULT Write(const Bstr& text) = 0;
  virtual HRESULT WriteLine(const Bstr& text) = 0;
  virtual HRESULT WriteBlankLines(std::int32_t count) = 0;
  virtual HRESULT Skip(std::int32_t count) = 0;
  virtual HRESULT SkipLine() = 0;
  virtual HRESULT Close() = 0;
};

}  // namespace vant::host::scripting
