// The value list of one name of QueryString or Form.
#pragma once

#include <string>
#include <vector>

#include "host/intrinsics/interfaces.h"

namespace vant::host::intrinsics {

class StringListObject final : public ComObject<StringListObject, DispatchImpl<IAspStringList>> {
 public:
  // An empty list stands for a name that was not sent.
  explicit StringListObject(std::vector<std::u16string> values) : values_(std::move(values)) {}

  HRESULT get_Item(const Variant& index, Variant* out) override;
  HRESULT get_Count(std::int32_t* out) override;
  HRESULT get__NewEnum(IUnknown** out) override;

 private:
  std::vector<std::u16string> values_;
};

}  // namespace vant::host::intrinsics
