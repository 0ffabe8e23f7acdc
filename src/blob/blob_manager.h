// BLOBManager (CBLOBManager): copies a long binary database field into a
// file (SaveBlobAsFile) and a file into such a field (SaveFileAsBlob).
#pragma once

#include <string>

#include "blob/interfaces.h"
#include "frame/class_creators.h"
#include "frame/page_object.h"
#include "frame/report_once.h"
#include "platform/ado/field.h"
#include "platform/fs/file.h"

namespace vant::blob {

inline constexpr char16_t kBlobManagerClassName[] = u"BLOBManager";
inline constexpr char16_t kBlobImplName[] = u"CBLOBManager";

// Bytes per AppendChunk when a file goes into a field: one short of the
// field chunk size.
inline constexpr std::size_t kFileChunkBytes = static_cast<std::size_t>(ado::kBlobChunkBytes) - 1;

// The class creator: a new BLOB manager handing out interface `iid`.
HRESULT CreateBlobManager(const IID& iid, void** out);

class CBLOBManager
    : public ComObject<CBLOBManager,
                       frame::PageObject<CBLOBManager, IBLOBManager, frame::PageObjects::Standard>,
                       frame::SupportErrorInfo<IBLOBManager>> {
 public:
  // Writes the field's value to bstrFilePath (virtual when it holds "/") and
  // gives the path written in *out. The bytes go to a temporary file beside
  // the target, which replaces the target (bOverwrite true) or takes the
  // first free name of the unique-name rule (false) only once complete, so a
  // failure leaves no partial target and an overwritten file never keeps
  // bytes of its old content. Failures: 0x40020059 field not long binary;
  // 0x40020060 empty path; 0x40020056 / 0x40020058 from the folder check;
  // system error "SaveBlobAsFile" place "1" (temporary file not created),
  // "2" (write), "3" (moving it into place); 0x40020061 client gone; a
  // failing field read fails without a report.
  HRESULT SaveBlobAsFile(IUnknown* dbField, const Bstr& bstrFilePath, VARIANT_BOOL bOverwrite,
                         Bstr* out) override;

  // Appends the file's bytes to the field in chunks of kFileChunkBytes.
  // Failures: 0x40020059 field not long binary; 0x40020062 (path) no file;
  // system error "SaveFileAsBlob" place "1" when it cannot be opened; a
  // failing read or AppendChunk fails without a report (the field may hold
  // the chunks appended so far).
  HRESULT SaveFileAsBlob(const Bstr& bstrStrPath, IUnknown* dbField) override;

 private:
  HRESULT _SaveBlobAsFile(IUnknown* dbField, const Bstr& bstrFilePath, VARIANT_BOOL bOverwrite,
                          Bstr* out);
  HRESULT _SaveFileAsBlob(const Bstr& bstrStrPath, IUnknown* dbField);
  HRESULT LongBinaryField(IUnknown* dbField, ComPtr<ado::IField>* field);
  HRESULT CopyField(ado::IField& field, std::int32_t length, fs::File& file);
  bool ClientConnected() const;

  frame::ErrorFlag errorFlag_;
  std::u16string lastPath_;  // target or source of the latest call
  frame::ModuleLock lock_;
};

}  // namespace vant::blob
