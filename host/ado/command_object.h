// ADODB.Command: a statement with `?` parameters run on a connection. The
// Parameters' values (or the array passed to Execute) are bound as SQLite
// parameters; they never become part of the SQL text.
#pragma once

#include "host/ado/connection_string.h"
#include "host/ado/interfaces.h"

namespace vant::host::ado {

// A new command without a connection; `mapPath` resolves a virtual Data
// Source of a connection string given as ActiveConnection.
ComPtr<IAdoCommand> MakeCommand(MapPathHook mapPath = {});

}  // namespace vant::host::ado
