// Connection objects.
#pragma once

#include "host/ado/connection_string.h"
#include "host/ado/interfaces/connection.h"

namespace vant::host::ado {

// A closed connection; `mapPath` resolves a virtual Data Source (the page
// host passes Server.MapPath).
ComPtr<IAdoConnection> MakeConnection(MapPathHook mapPath = {});

}  // namespace vant::host::ado
