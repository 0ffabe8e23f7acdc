// Connection strings that name a PostgreSQL server, in the provider form
//   Provider=PostgreSQL;Host=db;Port=5432;Database=site;User ID=web;Password=...
// or the ODBC form existing pages carry
//   Driver={PostgreSQL Unicode};Server=db;Port=5432;Database=site;Uid=web;Pwd=...
// and their translation to libpq keywords. The values travel as separate
// keyword/value pairs, so no quoting of them can go wrong.
#pragma once

#include <map>
#include <string>

#include "host/ado/detail/outcome.h"
#include "host/ado/detail/pg_connection.h"

namespace vant::host::ado {

// True when the parsed connection string names PostgreSQL as its provider
// or driver.
bool NamesPostgres(const std::map<std::u16string, std::u16string>& pairs);

// The libpq parameters for the parsed connection string; `connectTimeout`
// is Connection.ConnectionTimeout in seconds. kBadArgument when no
// database is named.
Outcome PgParamsOf(const std::map<std::u16string, std::u16string>& pairs,
                   std::int32_t connectTimeout, PgConnectParams* out);

}  // namespace vant::host::ado
