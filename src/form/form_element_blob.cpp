// SaveAsBlob: appends the bytes of a file element to a database field in
// chunks, the temporary file standing in for the saved copy.
#include "form/form_element.h"
#include "frame/member_guard.h"
#include "platform/ado/field.h"
#include "platform/fs/file.h"
#include "platform/fs/file_info.h"

namespace vant::form {
namespace {

// One byte short of the field chunk size, the unit the element appends in.
constexpr std::size_t kAppendChunkBytes = static_cast<std::size_t>(ado::kBlobChunkBytes) - 1;

void SetFlag(const frame::ErrorFlagLink& link) {
  if (link) link->Set();
}

// Appends the whole of `file` to `field`, one chunk after another. A failed
// read fails the transfer (the field would hold a cut file otherwise).
HRESULT AppendFile(fs::File& file, ado::IField& field) {
  std::vector<std::uint8_t> buffer(kAppendChunkBytes);
  for (;;) {
    std::size_t got = 0;
    if (!file.Read(buffer.data(), buffer.size(), got).ok()) return E_FAIL;
    if (got > 0) {
      auto bytes = SafeArray::FromBytes(buffer.data(), got);
      if (!bytes) return E_OUTOFMEMORY;
      if (const HRESULT hr = field.AppendChunk(Variant::Array(std::move(bytes))); Failed(hr)) {
        return hr;
      }
    }
    if (got != kAppendChunkBytes) return S_OK;
  }
}

}  // namespace

HRESULT CFormElement::SaveAsBlob(IUnknown* pField) {
  return frame::GuardMember<&IFormElement::SaveAsBlob>(kFormElementClass, [&] {
    if (!item_.IsFileItem) return Report(frame::MessageId::kSaveFieldElement, {item_.Name});
    if (const HRESULT hr = RefuseIfInfected(); Failed(hr)) return hr;
    if (item_.MaxFileLen < item_.FileLen) {
      return Report(frame::MessageId::kFileTooLarge, {item_.MaxFileLen});
    }
    const HRESULT hr = AppendToField(pField);
    if (Failed(hr)) SetFlag(item_.errorFlagLink);
    return hr;
  });
}

// The field checks and the transfer. The temporary file is deleted once
// its bytes are in the field; after a failure it stays for a retry (the
// upload's cleanup removes it at the latest).
HRESULT CFormElement::AppendToField(IUnknown* pField) {
  ComPtr<ado::IField> field;
  if (pField == nullptr || Failed(pField->QueryInterface(ado::IField::kIid, field.ReceiveVoid())) ||
      !field) {
    return frame::UnexpectedFailure(kFormElementClass,
                                    frame::MemberName<&IFormElement::SaveAsBlob>());
  }
  std::int32_t type = 0;
  if (Failed(field->get_Type(&type)) || type != ado::kAdLongVarBinary) {
    return Report(frame::MessageId::kElementNotLongBinary);
  }
  // A moved or stored file has no bytes left here; appending nothing and
  // answering success would leave the field without the file.
  if (item_.saved) return Report(frame::MessageId::kAlreadySaved);
  fs::File file;
  if (!file.OpenRead(item_.TempFilePath).ok()) return Report(frame::MessageId::kTempFileMissing);
  if (const HRESULT hr = AppendFile(file, *field); Failed(hr)) return hr;
  (void)file.Close();
  (void)fs::DeleteFile(item_.TempFilePath);
  item_.saved = true;
  return S_OK;
}

}  // namespace vant::form
