// ADODB.Stream, which the page host creates without the registry.
#pragma once

#include <string_view>

#include "host/ado/interfaces.h"

namespace vant::host::ado {

// A new closed text stream (Charset "Unicode"); CreateAdoObject makes one
// for the ProgID "ADODB.Stream".
ComPtr<IAdoStream> MakeStream();

}  // namespace vant::host::ado
