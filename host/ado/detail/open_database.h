// Opening the database a connection string names: a PostgreSQL server
// when its provider or driver says so, else a SQLite file.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "host/ado/detail/connection_string.h"
#include "host/ado/detail/database.h"
#include "host/ado/detail/outcome.h"

namespace vant::host::ado {

// kBadArgument when the string names no database; kDatabaseError with the
// server's or SQLite's reason when it does not open. `connectTimeout` is in
// seconds (servers only).
Outcome OpenDatabaseOf(std::u16string_view connectionString, const MapPathHook& mapPath,
                       std::int32_t connectTimeout, std::shared_ptr<Database>* out);

}  // namespace vant::host::ado
