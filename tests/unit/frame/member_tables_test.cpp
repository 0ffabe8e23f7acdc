// The member tables of every interface against a second, independent
// transcription of the members: names, dispatch identifiers, kinds and
// function-table order must agree entry by entry.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "blob/interfaces.h"
#include "download/interfaces.h"
#include "form/interfaces.h"
#include "frame/member_guard.h"
#include "image/interfaces.h"
#include "module/class_table.h"
#include "platform/automation/bstr.h"
#include "upload/interfaces.h"
#include "virus/interfaces.h"

namespace vant::frame {
namespace {

// Members in function-table order, "Name (get) id", "Name (get, put) id",
// "Name id" for a method; OnStartPage and OnEndPage carry no number here.
const std::pair<const char*, const char*> kExpectedMembers[] = {
    {"IFileUpload",
     "OnStartPage, OnEndPage, Form (get) 0, DefaultPath (get) 1, DefaultPath (put) 1, CodePage "
     "(get) 2, CodePage (put) 2, AutoMakeFolder (get) 3, AutoMakeFolder (put) 3, FileLen (get) "
     "10, FileName (get) 11, FilePath (get) 12, ImageFormat (get) 13, ImageHeight (get) 14, "
     "ImageWidth (get) 15, MimeType (get) 16, LastSavedFileName (get) 17, LastSavedFilePath "
     "(get) 18, UseIE5BugFix (put) 19, Version (get) 20, MaxFileLen (put) 22, MaxFileLen (get) "
     "22, UploadTimeout (get) 23, UploadTimeout (put) 23, TotalLen (get) 28, TotalLen (put) 28, "
     "TempFilePath (get) 30, IsFileItem 32, IsImageItem 33, DeleteAllSavedFiles 4, Save 5, "
     "SaveAs 6, SaveVirtual 7, SaveAsVirtual 8, SaveAsBlob 9, FileExists 24, FolderExists 25, "
     "DeleteFile 26, Flush 27, SetProgress 29, FileNameWithoutExt (get) 31, FileExtension (get) "
     "34, IVirusInfo (get) 35, IsInfected (get) 36, VirusName (get) 37"},
    {"IFormElement",
     "Value (get) 0, FileLen (get) 6, FileName (get) 7, FilePath (get) 8, ImageFormat (get) 9, "
     "ImageHeight (get) 10, ImageWidth (get) 11, MimeType (get) 12, Name (get) 13, "
     "LastSavedFileName (get) 14, LastSavedFilePath (get) 15, TempFilePath (get) 19, Save 1, "
     "SaveAs 2, SaveVirtual 3, SaveAsVirtual 4, SaveAsBlob 5, IsFileItem 16, IsImageItem 17, "
     "FileNameWithoutExt (get) 18, FileExtension (get) 20, IsInfected (get) 21, VirusName (get) "
     "22"},
    {"IFormElementCollection",
     "Item (get) 0, _NewEnum (get) -4, Name (get) 2, Value (get) 3, FileLen (get) 10, FileName "
     "(get) 11, FilePath (get) 12, ImageFormat (get) 13, ImageHeight (get) 14, ImageWidth (get) "
     "15, MimeType (get) 16, LastSavedFileName (get) 17, LastSavedFilePath (get) 18, Count (get) "
     "19, TempFilePath (get) 20, FileNameWithoutExt (get) 21, FileExtension (get) 24, IsFileItem "
     "22, IsImageItem 23, Save 5, SaveAs 6, SaveVirtual 7, SaveAsVirtual 8, SaveAsBlob 9, "
     "IsInfected (get) 25, VirusName (get) 26"},
    {"IFormElementMultiCollection", "Item (get) 0, _NewEnum (get) -4, Count (get) 1"},
    {"IProgress",
     "TotalSize (get) 1, TransferSize (get) 2, Percent (get) 3, BytesPerSec (get) 4, FileName "
     "(get) 5, Working (get) 8, SetProgressID 6, GetProgressID 7"},
    {"IFileUploadMonitor", "OnStartPage, OnEndPage, UseMonitor 1, ShowMonitor 2"},
    {"IFileDownload", "OnStartPage, OnEndPage, Download 1, DownloadVirtual 2, DownloadBlob 3"},
    {"IManager", "OnStartPage, OnEndPage, _NewEnum (get) -4, AddCacheFile 1, RemoveCacheFile 2"},
    {"IBLOBManager", "OnStartPage, OnEndPage, SaveBlobAsFile 1, SaveFileAsBlob 2"},
    {"IImageProc",
     "OnStartPage, OnEndPage, ImageFormat (get) 4, PixelFormat (get) 5, ImageWidth (get) 6, "
     "ImageHeight (get) 7, HorizontalResolution (get) 8, VerticalResolution (get) 9, "
     "MDDocumentName (get) 10, MDImageDescription (get) 11, MDEquipMake (get) 12, MDEquipModel "
     "(get) 13, MDSoftwareUsed (get) 14, MDDateTime (get) 15, MDArtist (get) 16, "
     "MDExifShutterSpeed (get) 19, MDExifExposureTime (get) 20, MDExifFNumber (get) 21, "
     "MDExifColorSpace (get) 22, MDExifFlash (get) 23, MDExifISOSpeed (get) 25, "
     "MDExifFocalLength (get) 26, MDExifExposureProg (get) 27, MDExifExposureBias (get) 28, "
     "MDExifMaximumLensAperture (get) 29, MDExifExifDigitalZoomRatio (get) 30, "
     "MDExifWhiteBalance (get) 31, MDExifMeteringMode (get) 32, MDExifLightSource (get) 33, "
     "MDExifExposureMode (get) 34, MDExifFocalLengthIn35mm (get) 35, SaveAsThumbnail 1, "
     "SetSourceFile 3, SaveAsWatermarkImage 17, SaveAsWatermarkText 18, ConvertImageFormat 24"},
    {"IIVirusInfo",
     "OnStartPage, OnEndPage, ScanMode (get, put) 1, AutoRemovingInfectedFile (get, put) 2, "
     "ScanOption (get, put) 3, ScannedCount (get, put) 4, InfectedCount (get, put) 5, "
     "RepairedCount (get, put) 6, RemovedCount (get, put) 7, TempPath (get, put) 8"},
    {"IComponentRegistrar",
     "Attach 1, RegisterAll 2, UnregisterAll 3, GetComponents 4, RegisterComponent 5, "
     "UnregisterComponent 6"},
};

constexpr DISPID kOnStartPageId = 0x60020000;
constexpr DISPID kOnEndPageId = 0x60020001;

// One member as "Name kind id", the form both sides are compared in.
std::string Describe(std::string_view name, std::string_view kind, DISPID id) {
  return std::string(name) + " " + std::string(kind) + " " + std::to_string(id);
}

std::string_view KindName(MemberKind kind) {
  switch (kind) {
    case MemberKind::PropertyGet:
      return "get";
    case MemberKind::PropertyPut:
      return "put";
    case MemberKind::Method:
      break;
  }
  return "method";
}

std::vector<std::string> SplitItems(std::string_view text) {
  std::vector<std::string> items;
  std::string current;
  int depth = 0;
  for (const char c : text) {
    depth += c == '(' ? 1 : c == ')' ? -1 : 0;
    if (c == ',' && depth == 0) {
      items.push_back(current);
      current.clear();
    } else if (!(c == ' ' && current.empty())) {
      current += c;
    }
  }
  items.push_back(current);
  return items;
}

// Expands "Name (get, put) 3" into its accessors in order.
std::vector<std::string> ParseExpected(std::string_view text) {
  std::vector<std::string> out;
  for (const std::string& item : SplitItems(text)) {
    const size_t open = item.find('(');
    const std::string name = item.substr(0, item.find(' '));
    if (name == "OnStartPage" || name == "OnEndPage") {
      out.push_back(
          Describe(name, "method", name == "OnStartPage" ? kOnStartPageId : kOnEndPageId));
      continue;
    }
    const DISPID id = std::stoi(item.substr(item.find_last_of(' ') + 1));
    if (open == std::string::npos) {
      out.push_back(Describe(name, "method", id));
      continue;
    }
    const std::string kinds = item.substr(open + 1, item.find(')') - open - 1);
    if (kinds.find("get") != std::string::npos) out.push_back(Describe(name, "get", id));
    if (kinds.find("put") != std::string::npos) out.push_back(Describe(name, "put", id));
  }
  return out;
}

std::vector<std::string> Actual(const InterfaceInfo& info) {
  std::vector<std::string> out;
  for (const MemberInfo& m : info.members) {
    out.push_back(Describe(Utf16ToUtf8(m.name), KindName(m.kind), m.dispid));
  }
  return out;
}

TEST(MemberTables, EveryLibraryInterfaceMatchesItsExpectedMembers) {
  std::vector<std::string> seen;
  for (const ClassInfo* info : LibraryInterfaces()) {
    const std::string name = Utf16ToUtf8(info->interfaceName);
    seen.push_back(name);
    const auto* expected = std::find_if(std::begin(kExpectedMembers), std::end(kExpectedMembers),
                                        [&](const auto& row) { return name == row.first; });
    ASSERT_NE(expected, std::end(kExpectedMembers)) << "no expected members for " << name;
    const std::vector<std::string> want = ParseExpected(expected->second);
    const std::vector<std::string> got = Actual(info->typeInfo());
    ASSERT_EQ(got.size(), want.size()) << name;
    for (size_t i = 0; i < want.size(); ++i) {
      EXPECT_EQ(got[i], want[i]) << name << " entry " << i;
    }
  }
  EXPECT_EQ(seen.size(), std::size(kExpectedMembers));
}

// Every member an error report names through its table entry, with the name
// the reports carried when they were string literals at the call sites.
TEST(MemberTables, ReportsNameEachMemberAsBefore) {
  const std::pair<std::u16string_view, const char*> rows[] = {
      {MemberName<&IBLOBManager::SaveBlobAsFile>(), "SaveBlobAsFile"},
      {MemberName<&IBLOBManager::SaveFileAsBlob>(), "SaveFileAsBlob"},
      {MemberName<&IFileDownload::DownloadBlob>(), "DownloadBlob"},
      {MemberName<&IFileUpload::FileExists>(), "FileExists"},
      {MemberName<&IFileUpload::FolderExists>(), "FolderExists"},
      {MemberName<&IFileUpload::SetProgress>(), "SetProgress"},
      {MemberName<&IFileUpload::get_DefaultPath>(), "get_DefaultPath"},
      {MemberName<&IFileUpload::get_Form>(), "get_Form"},
      {MemberName<&IFileUpload::get_Version>(), "get_Version"},
      {MemberName<&IFileUpload::put_DefaultPath>(), "put_DefaultPath"},
      {MemberName<&IFileUpload::put_TotalLen>(), "put_TotalLen"},
      {MemberName<&IFileUpload::put_UploadTimeout>(), "put_UploadTimeout"},
      {MemberName<&IFormElement::Save>(), "Save"},
      {MemberName<&IFormElement::SaveAs>(), "SaveAs"},
      {MemberName<&IFormElement::SaveAsBlob>(), "SaveAsBlob"},
      {MemberName<&IFormElementCollection::Save>(), "Save"},
      {MemberName<&IFormElementCollection::SaveAs>(), "SaveAs"},
      {MemberName<&IFormElementCollection::SaveAsBlob>(), "SaveAsBlob"},
      {MemberName<&IFormElementCollection::SaveAsVirtual>(), "SaveAsVirtual"},
      {MemberName<&IFormElementCollection::SaveVirtual>(), "SaveVirtual"},
      {MemberName<&IFormElementCollection::get_FileLen>(), "get_FileLen"},
      {MemberName<&IFormElementCollection::get_Item>(), "get_Item"},
      {MemberName<&IFormElementCollection::get_Name>(), "get_Name"},
      {MemberName<&IFormElementCollection::get_Value>(), "get_Value"},
      {MemberName<&IFormElementMultiCollection::get_Item>(), "get_Item"},
      {MemberName<&IFormElementMultiCollection::get__NewEnum>(), "get__NewEnum"},
      {MemberName<&IIVirusInfo::get_TempPath>(), "get_TempPath"},
      {MemberName<&IIVirusInfo::put_TempPath>(), "put_TempPath"},
      {MemberName<&IImageProc::ConvertImageFormat>(), "ConvertImageFormat"},
      {MemberName<&IImageProc::SaveAsThumbnail>(), "SaveAsThumbnail"},
      {MemberName<&IImageProc::SaveAsWatermarkImage>(), "SaveAsWatermarkImage"},
      {MemberName<&IImageProc::SaveAsWatermarkText>(), "SaveAsWatermarkText"},
      {MemberName<&IImageProc::SetSourceFile>(), "SetSourceFile"},
  };
  for (const auto& [got, want] : rows) EXPECT_EQ(Utf16ToUtf8(got), want);
}

}  // namespace
}  // namespace vant::frame
