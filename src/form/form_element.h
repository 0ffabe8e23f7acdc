// CFormElement: one part of an uploaded form as the script sees it, a field
// (name and text) or a file (name, sent file name, MIME type and a temporary
// file that the script saves to a path or into a database field).
//
// The parser creates an element, sets MaxFileLen and the error flag link,
// fills it through the setters, calls SetFileInfo for a file part once its
// temporary file is complete, then adds it to the form's multi-collection.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "form/delete_mode.h"
#include "form/form_item.h"
#include "form/interfaces.h"

namespace vant::form {

// Implementation class name, as reports carry it.
inline constexpr char16_t kFormElementClass[] = u"CFormElement";

class CFormElement : public ComObject<CFormElement, DispatchImpl<IFormElement>, ISupportErrorInfo> {
 public:
  CFormElement() = default;

  // --- Record setters used by the parser and the collections -------------
  void SetName(std::u16string_view name) { item_.Name = name; }
  void SetFileName(std::u16string_view fileName) { item_.FileName = fileName; }
  void SetFilePath(std::u16string_view filePath) { item_.FilePath = filePath; }
  void SetMimeType(std::u16string_view mimeType) { item_.MimeType = mimeType; }
  void SetValue(std::u16string_view value) { item_.Value = value; }
  void SetTempFilePath(std::u16string_view path) { item_.TempFilePath = path; }
  void SetDefaultPath(std::u16string_view path) { item_.DefaultPath = path; }
  void SetAutoMakeFolder(bool flag) { item_.AutoMakeFolder = flag; }
  void SetServerObject(host::IServer* server) {
    item_.serverObject = ComPtr<host::IServer>(server);
  }
  void SetScanVerdict(bool infected, Bstr virusName) {
    item_.IsInfected = infected;
    item_.VirusName = std::move(virusName);
  }
  void SetMaxFileLen(std::int32_t maxFileLen) { item_.MaxFileLen = maxFileLen; }
  void SetErrorFlagLink(frame::ErrorFlagLink link) { item_.errorFlagLink = std::move(link); }

  // Marks the element a file element and reads the temporary file: FileLen
  // from its size (0 when unreadable), and from its header whether it is an
  // image with its width, height and ImageFormat. Returns 1 when done, 0
  // after an unexpected failure (reported as 0x40020066).
  int SetFileInfo();

  // The common core of the save members: checks the element (size limit,
  // empty file name, saved already, temporary file present, target folder,
  // a safe sent name when `fromSentName`), then moves the temporary file to
  // `target`, or with overwrite false to a free name beside it without ever
  // replacing a file. *savedPath receives the final path ("" for an element
  // whose browser sent no file: its temporary file is deleted instead).
  HRESULT _Save(const std::u16string& target, bool overwrite, std::u16string* savedPath,
                bool fromSentName = false);

  // Deletes the temporary file of an unsaved element, and with
  // DeleteModeAll the saved file of a saved one. A missing file is success;
  // a failed delete reports 0x40020041 with the path. Fields: nothing done.
  HRESULT DeleteSavedFile(std::int32_t mode);

  // The record, for the collections and the upload object.
  const FormItem& Item() const { return item_; }

  // --- IFormElement ------------------------------------------------------
  HRESULT get_Value(Bstr* out) override;
  HRESULT get_FileLen(int32_t* out) override;
  HRESULT get_FileName(Bstr* out) override;
  HRESULT get_FilePath(Bstr* out) override;
  HRESULT get_ImageFormat(Bstr* out) override;
  HRESULT get_ImageHeight(int32_t* out) override;
  HRESULT get_ImageWidth(int32_t* out) override;
  HRESULT get_MimeType(Bstr* out) override;
  HRESULT get_Name(Bstr* out) override;
  HRESULT get_LastSavedFileName(Bstr* out) override;
  HRESULT get_LastSavedFilePath(Bstr* out) override;
  HRESULT get_TempFilePath(Bstr* out) override;
  HRESULT Save(const Bstr& bstrPath, VARIANT_BOOL bOverwrite, Bstr* out) override;
  HRESULT SaveAs(const Bstr& bstrPath, VARIANT_BOOL bOverwrite, Bstr* out) override;
  HRESULT SaveVirtual(const Bstr& bstrPath, VARIANT_BOOL bOverwrite, Bstr* out) override;
  HRESULT SaveAsVirtual(const Bstr& bstrPath, VARIANT_BOOL bOverwrite, Bstr* out) override;
  HRESULT SaveAsBlob(IUnknown* pField) override;
  HRESULT IsFileItem(VARIANT_BOOL* out) override;
  HRESULT IsImageItem(VARIANT_BOOL* out) override;
  HRESULT get_FileNameWithoutExt(Bstr* out) override;
  HRESULT get_FileExtension(Bstr* out) override;
  HRESULT get_IsInfected(VARIANT_BOOL* out) override;
  HRESULT get_VirusName(Bstr* out) override;

  // --- ISupportErrorInfo -------------------------------------------------
  HRESULT InterfaceSupportsErrorInfo(const IID& iid) override;

 private:
  HRESULT SaveChecked(const Bstr& bstrPath, bool overwrite, Bstr* out);
  HRESULT SaveAsChecked(const Bstr& bstrPath, bool overwrite, Bstr* out);
  HRESULT CheckSaveable();
  HRESULT RefuseIfInfected();
  HRESULT MoveToTarget(const std::u16string& target, bool overwrite, std::u16string* finalPath);
  HRESULT AppendToField(IUnknown* pField);
  std::u16string MapIfVirtual(const Bstr& path) const;
  std::u16string MapAlways(const Bstr& path) const;
  HRESULT Report(frame::MessageId id, const frame::Inserts& inserts = {}) const;

  FormItem item_;
};

}  // namespace vant::form
