// A Command's Parameters collection and its Parameter objects. The values
// are bound to the statement's `?` parameters in collection order, each
// converted to the parameter's declared type first.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/ado/detail/outcome.h"
#include "host/ado/interfaces.h"

namespace vant::host::ado {

struct ParameterData {
  std::u16string name;
  std::int32_t type = 0;       // adEmpty: the value as it is
  std::int32_t direction = 1;  // adParamInput
  std::int32_t size = 0;
  std::int32_t precision = 0;
  std::int32_t numericScale = 0;
  std::int32_t attributes = 0;
  Variant value;
  bool appended = false;  // in a Parameters collection
};

struct ParameterEntry {
  std::shared_ptr<ParameterData> data;
  ComPtr<IDispatch> object;
};
using ParameterList = std::vector<ParameterEntry>;

ComPtr<IAdoParameter> MakeParameter(std::shared_ptr<ParameterData> data);

// The collection over `list`; Refresh calls `refresh`.
ComPtr<IAdoParameters> MakeParameters(std::shared_ptr<ParameterList> list,
                                      std::function<Outcome()> refresh);

// The parameter at `index` (a name in any case, or a 0-based number).
// kItemNotFound when there is none.
Outcome FindParameter(const ParameterList& list, const Variant& index, std::size_t* at);

// `value` converted for binding as a parameter of ADO type `type`: numbers
// for the numeric types, a boolean, text for the character types, a date;
// byte arrays for the binary types pass unchanged. Empty and Null bind as
// NULL. kDataConversion when the value does not convert.
Outcome ConvertForType(std::int32_t type, const Variant& value, Variant* out);

}  // namespace vant::host::ado
