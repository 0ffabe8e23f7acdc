// CFormElementCollection: every element sent under one field name, in
// arrival order. Element members called on the collection go to its primary
// element: the most recently added file element, or the first element while
// it holds no file element.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "form/form_element.h"
#include "form/interfaces.h"

namespace vant::form {

inline constexpr char16_t kFormElementCollectionClass[] = u"CFormElementCollection";

class CFormElementCollection
    : public ComObject<CFormElementCollection, DispatchImpl<IFormElementCollection>,
                       ISupportErrorInfo> {
 public:
  explicit CFormElementCollection(frame::ErrorFlagLink link = nullptr)
      : errorFlagLink_(std::move(link)) {}

  // --- Operations of the upload engine -------------------------------------
  // Appends `element` (a reference is taken); it becomes the primary element
  // when there is none yet or when it is a file element. E_POINTER for null.
  HRESULT Add(CFormElement* element);
  // DeleteSavedFile(mode) of every element in order; a failing element does
  // not stop the others. Always S_OK.
  HRESULT DeleteAllSavedFiles(std::int32_t mode);
  // Every element's DefaultPath := path.
  HRESULT SetDefaultPath(std::u16string_view path);
  // Every element's AutoMakeFolder := flag.
  HRESULT SetAutoMakeFolder(bool flag);
  void SetErrorFlagLink(frame::ErrorFlagLink link) { errorFlagLink_ = std::move(link); }

  CFormElement* PrimaryElement() const { return primaryElement_; }
  const std::vector<ComPtr<CFormElement>>& Elements() const { return elements_; }

  // --- IFormElementCollection ---------------------------------------------
  HRESULT get_Item(const Variant& varIndex, Variant* out) override;
  HRESULT get__NewEnum(IUnknown** out) override;
  HRESULT get_Name(Bstr* out) override;
  HRESULT get_Value(Bstr* out) override;
  HRESULT get_FileLen(int32_t* out) override;
  HRESULT get_FileName(Bstr* out) override;
  HRESULT get_FilePath(Bstr* out) override;
  HRESULT get_ImageFormat(Bstr* out) override;
  HRESULT get_ImageHeight(int32_t* out) override;
  HRESULT get_ImageWidth(int32_t* out) override;
  HRESULT get_MimeType(Bstr* out) override;
  HRESULT get_LastSavedFileName(Bstr* out) override;
  HRESULT get_LastSavedFilePath(Bstr* out) override;
  HRESULT get_Count(int32_t* out) override;
  HRESULT get_TempFilePath(Bstr* out) override;
  HRESULT get_FileNameWithoutExt(Bstr* out) override;
  HRESULT get_FileExtension(Bstr* out) override;
  HRESULT IsFileItem(VARIANT_BOOL* out) override;
  HRESULT IsImageItem(VARIANT_BOOL* out) override;
  HRESULT Save(const Bstr& bstrPath, VARIANT_BOOL bOverwrite, Bstr* out) override;
  HRESULT SaveAs(const Bstr& bstrPath, VARIANT_BOOL bOverwrite, Bstr* out) override;
  HRESULT SaveVirtual(const Bstr& bstrPath, VARIANT_BOOL bOverwrite, Bstr* out) override;
  HRESULT SaveAsVirtual(const Bstr& bstrPath, VARIANT_BOOL bOverwrite, Bstr* out) override;
  HRESULT SaveAsBlob(IUnknown* pField) override;
  HRESULT get_IsInfected(VARIANT_BOOL* out) override;
  HRESULT get_VirusName(Bstr* out) override;

  HRESULT InterfaceSupportsErrorInfo(const IID& iid) override;

 private:
  // Calls `call` on the primary element, or reports 0x40020052.
  template <class Call>
  HRESULT Forward(std::u16string_view member, Call&& call);
  HRESULT JoinedValues(Variant* out) const;

  CFormElement* primaryElement_ = nullptr;  // held through elements_
  std::vector<ComPtr<CFormElement>> elements_;
  frame::ErrorFlagLink errorFlagLink_;
};

}  // namespace vant::form
