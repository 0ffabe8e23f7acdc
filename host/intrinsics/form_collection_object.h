// Request.QueryString and Request.Form: names with their value lists, and
// the value list of one name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/intrinsics/detail/url_encoded.h"
#include "host/intrinsics/interfaces.h"
#include "platform/automation/default_text.h"

namespace vant::host::intrinsics {

// Request.QueryString and Request.Form: names with their value lists.
// Item("x") gives the list of "x" (empty when not sent), Item(n) the list of
// the n-th name, Item() the raw text; enumerating gives the names.
class FormCollectionObject final
    : public ComObject<FormCollectionObject, DispatchImpl<IAspRequestDictionary>> {
 public:
  // `raw` is the collection's text as sent, in code page `codePage`.
  FormCollectionObject(KeyedValues values, std::string raw, std::uint32_t codePage)
      : values_(std::move(values)), raw_(std::move(raw)), codePage_(codePage) {}

  HRESULT get_Item(const Variant& key, Variant* out) override;
  HRESULT get_Count(std::int32_t* out) override;
  HRESULT get__NewEnum(IUnknown** out) override;
  HRESULT get_Key(const Variant& position, Variant* out) override;

  // The values of `key`, nullptr when it was not sent; for Request(name).
  const KeyedValues::Entry* Find(std::u16string_view key) const { return values_.Find(key); }

 protected:
  void* FindExtraInterface(const IID& iid) override;

 private:
  KeyedValues values_;
  // Decoded only when a page asks for the whole text, which few do.
  std::string raw_;
  std::uint32_t codePage_ = 0;
};

// The value list of one name of QueryString or Form.
class StringListObject final
    : public ComObject<StringListObject, DispatchImpl<IAspStringList>, IDefaultText> {
 public:
  // An empty list stands for a name that was not sent. The values stay in
  // the collection they came from, which `owner` keeps alive: a lookup
  // copies no string.
  StringListObject(ComPtr<IDispatch> owner, const std::vector<std::u16string>& values)
      : owner_(std::move(owner)), values_(values) {}

  HRESULT get_Item(const Variant& index, Variant* out) override;
  HRESULT get_Count(std::int32_t* out) override;
  HRESULT get__NewEnum(IUnknown** out) override;
  bool DefaultText(std::u16string_view* text) override;

 private:
  ComPtr<IDispatch> owner_;
  const std::vector<std::u16string>& values_;
};

}  // namespace vant::host::intrinsics
