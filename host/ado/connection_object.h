// Connection objects.
#pragma once

#include <memory>
#include <string>

#include "host/ado/connection_string.h"
#include "host/ado/database.h"
#include "host/ado/interfaces.h"

namespace vant::host::ado {

// A closed connection; `mapPath` resolves a virtual Data Source (the page
// host passes Server.MapPath).
ComPtr<IAdoConnection> MakeConnection(MapPathHook mapPath = {});

// An open connection over a database already opened (a recordset's or a
// command's ActiveConnection given as a connection string).
ComPtr<IAdoConnection> MakeConnectionOn(std::shared_ptr<Database> db,
                                        std::u16string connectionString);

}  // namespace vant::host::ado
