// An IEnumVARIANT over a snapshot of values taken when it is made, so that
// enumerating a collection is unaffected by later changes to it.
#pragma once

#include <vector>

#include "platform/automation/com_ptr.h"
#include "platform/automation/unknown.h"

namespace vant {

// A new enumerator (one reference) over a copy of `items`.
ComPtr<IEnumVARIANT> MakeVariantEnumerator(std::vector<Variant> items);

}  // namespace vant
