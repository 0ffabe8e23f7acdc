#include "host/ado/detail/open_database.h"

#include "host/ado/detail/ado_error.h"
#include "host/ado/detail/pg_conninfo.h"

namespace vant::host::ado {

Outcome OpenDatabaseOf(std::u16string_view connectionString, const MapPathHook& mapPath,
                       std::int32_t connectTimeout, std::shared_ptr<Database>* out) {
  const auto pairs = ParseConnectionString(connectionString);
  if (NamesPostgres(pairs)) {
    PgConnectParams params;
    if (Outcome made = PgParamsOf(pairs, connectTimeout, &params); !made.ok()) return made;
    std::unique_ptr<PgConnection> pg;
    if (Outcome connected = PgConnection::Connect(params, &pg); !connected.ok()) return connected;
    *out = Database::OnPostgres(std::move(pg));
    return Outcome::Ok();
  }
  std::u16string error;
  const auto path = ResolveDataSource(connectionString, mapPath, &error);
  if (!path) return Outcome::Fail(kBadArgument, error);
  return Database::Open(*path, out);
}

}  // namespace vant::host::ado
