// CFormElementMultiCollection: the whole parsed form, one collection per
// distinct field name (letter case ignored), ordered by the upper-cased
// name. A name that was not sent reads as a placeholder collection holding
// one empty field element.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "form/form_element_collection.h"
#include "form/interfaces.h"

namespace vant::form {

inline constexpr char16_t kFormElementMultiCollectionClass[] = u"CFormElementMultiCollection";

class CFormElementMultiCollection
    : public ComObject<CFormElementMultiCollection, DispatchImpl<IFormElementMultiCollection>,
                       ISupportErrorInfo> {
 public:
  // Made with its placeholder element and collection.
  CFormElementMultiCollection();

  // --- Operations of the upload engine -------------------------------------
  // The upload's error flag, given to the placeholders and to every
  // collection made afterwards.
  void SetErrorFlagLink(frame::ErrorFlagLink link);
  // Adds `element` to the collection of its upper-cased Name, making that
  // collection on first use. E_POINTER for null.
  HRESULT Add(CFormElement* element);
  // The collection operations on every entry in key order. Always S_OK.
  HRESULT DeleteAllSavedFiles(std::int32_t mode);
  HRESULT SetDefaultPath(std::u16string_view path);
  HRESULT SetAutoMakeFolder(bool flag);

  // The first file element added, in arrival order across all names; null
  // while the form has none.
  CFormElement* FirstFileElement() const { return firstFileElement_; }
  // The collection of `name` (any letter case), or null when it was not sent.
  CFormElementCollection* Find(std::u16string_view name) const;
  CFormElementCollection* PlaceholderCollection() const { return placeholderCollection_.get(); }

  // --- IFormElementMultiCollection ----------------------------------------
  HRESULT get_Item(const Variant& varIndex, IDispatch** out) override;
  HRESULT get__NewEnum(IUnknown** out) override;
  HRESULT get_Count(int32_t* out) override;

  HRESULT InterfaceSupportsErrorInfo(const IID& iid) override;

 private:
  CFormElementCollection* ByName(std::u16string_view name) const;
  CFormElementCollection* ByPosition(std::uint16_t n) const;

  // Keys are upper-cased names; std::map keeps them in ascending order.
  std::map<std::u16string, ComPtr<CFormElementCollection>> map_;
  ComPtr<CFormElement> placeholderElement_;
  ComPtr<CFormElementCollection> placeholderCollection_;
  CFormElement* firstFileElement_ = nullptr;  // held through map_
  frame::ErrorFlagLink errorFlagLink_;
};

// The map key of a field name: upper-cased letter by letter (ASCII, Latin-1,
// Latin Extended-A, Greek, Cyrillic, full-width Latin), so that names
// differing only in letter case share one entry.
std::u16string FormKey(std::u16string_view name);

}  // namespace vant::form
