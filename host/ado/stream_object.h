// ADODB.Stream, which the page host creates without the registry.
#pragma once

#include <string_view>

#include "host/ado/interfaces/stream.h"

namespace vant::host::ado {

// A new closed text stream (Charset "Unicode") for "ADODB.Stream" (any
// letter case, with or without a version suffix such as ".1" or ".6.0");
// nullptr for any other ProgID.
ComPtr<IDispatch> CreateStreamObject(std::u16string_view progId);

ComPtr<IAdoStream> MakeStream();

}  // namespace vant::host::ado
