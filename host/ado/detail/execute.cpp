#include "host/ado/detail/execute.h"

#include <string>

#include "host/ado/detail/pg_recordset.h"

namespace vant::host::ado {
namespace {

bool OnlyBlanks(std::string_view sql) {
  return sql.find_first_not_of(" \t\r\n;") == std::string_view::npos;
}

Outcome LoadRows(const std::shared_ptr<Database>& db, std::u16string_view sql,
                 const LoadOptions& options, std::shared_ptr<RecordsetData>* rows) {
  auto data = std::make_shared<RecordsetData>();
  if (Outcome loaded = LoadRecordset(db, sql, true, data.get(), options); !loaded.ok()) {
    return loaded;
  }
  *rows = std::move(data);
  return Outcome::Ok();
}

}  // namespace

Outcome ExecuteCommand(const std::shared_ptr<Database>& db, std::u16string_view commandText,
                       std::shared_ptr<RecordsetData>* rows, std::int64_t* affected,
                       const LoadOptions& options) {
  if (db->postgres()) return PgExecuteCommand(db, commandText, rows, affected, options);
  *affected = 0;
  rows->reset();
  const Database::Deadline deadline(*db,
                                    options.timeout >= 0 ? options.timeout : db->commandTimeout());
  if (options.commandType == kAdCmdTable || options.commandType == kAdCmdTableDirect ||
      options.commandType == kAdCmdStoredProc) {
    return LoadRows(db, commandText, options, rows);
  }
  const std::string text = Utf16ToUtf8(commandText);
  std::string_view rest = text;
  std::size_t next = 0;  // the first parameter value the next statement takes
  while (!OnlyBlanks(rest)) {
    Statement stmt;
    if (Outcome prepared = db->Prepare(rest, &stmt, &rest); !prepared.ok()) return prepared;
    if (!stmt) continue;
    // The last statement that returns rows becomes the recordset (loaded
    // by the recordset loader, which may add the rowid for BLOB reads).
    if (sqlite3_column_count(stmt.get()) > 0 && OnlyBlanks(rest)) {
      LoadOptions remaining = options;
      remaining.parameters = options.parameters.subspan(std::min(next, options.parameters.size()));
      remaining.commandType = kAdCmdText;
      return LoadRows(db, Utf8ToUtf16(sqlite3_sql(stmt.get())), remaining, rows);
    }
    if (Outcome bound = BindParameters(stmt.get(), options.parameters, &next); !bound.ok()) {
      return bound;
    }
    const bool changesData = sqlite3_stmt_readonly(stmt.get()) == 0;
    for (bool row = true; row;) {
      if (Outcome stepped = db->Step(stmt.get(), &row); !stepped.ok()) return stepped;
    }
    if (changesData) *affected += sqlite3_changes(db->handle());
  }
  return Outcome::Ok();
}

}  // namespace vant::host::ado
