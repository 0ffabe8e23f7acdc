#include "host/ado/detail/pg_recordset.h"

#include <cstdlib>
#include <map>

#include "host/ado/detail/ado_error.h"
#include "host/ado/detail/pg_sql.h"
#include "host/ado/detail/pg_types.h"
#include "host/ado/detail/sql_text.h"

namespace vant::host::ado {
namespace {

constexpr std::string_view kRowidSelect = "SELECT ";
constexpr std::string_view kRowidAlias = " AS __vant_rowid, ";

// The table, its key and column names, for a query whose table columns
// all come from one table.
constexpr std::string_view kTableSql =
    "SELECT a.attnum, a.attname, n.nspname, c.relname, "
    "(SELECT k.attname FROM pg_index i JOIN pg_attribute k ON k.attrelid = i.indrelid "
    "AND k.attnum = i.indkey[0] WHERE i.indrelid = c.oid AND i.indisprimary "
    "AND i.indnatts = 1 AND k.atttypid IN (20, 21, 23)) "
    "FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
    "JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped "
    "WHERE c.oid = $1 AND c.relkind IN ('r', 'p')";

struct BaseTable {
  std::string schema;
  std::string table;
  std::string key;
  std::map<int, std::string> names;  // by attribute number
};

std::string Value(const PGresult* result, int row, int column) {
  return std::string(PQgetvalue(result, row, column),
                     static_cast<std::size_t>(PQgetlength(result, row, column)));
}

// The table every table column of `description` comes from, or 0 when
// there is none or more than one.
Oid SingleTable(const PGresult* description) {
  Oid table = InvalidOid;
  for (int i = 0; i < PQnfields(description); ++i) {
    const Oid from = PQftable(description, i);
    if (from == InvalidOid) continue;
    if (table != InvalidOid && from != table) return InvalidOid;
    table = from;
  }
  return table;
}

bool LookUpTable(PgConnection& pg, Oid table, BaseTable* out) {
  PgResult result;
  if (!pg.Run(std::string(kTableSql), {PgParam{std::to_string(table)}}, false, &result).ok() ||
      PQntuples(result.get()) == 0 || PQgetisnull(result.get(), 0, 4)) {
    return false;
  }
  out->schema = Value(result.get(), 0, 2);
  out->table = Value(result.get(), 0, 3);
  out->key = Value(result.get(), 0, 4);
  for (int row = 0; row < PQntuples(result.get()); ++row) {
    out->names[std::atoi(PQgetvalue(result.get(), row, 0))] = Value(result.get(), row, 1);
  }
  return true;
}

void DescribeColumns(const PGresult* description, std::vector<ColumnInfo>* out) {
  out->clear();
  for (int i = 0; i < PQnfields(description); ++i) {
    ColumnInfo column;
    column.name = Utf8ToUtf16(PQfname(description, i));
    column.type = TypeOfPgColumn(PQftype(description, i), PQfmod(description, i));
    out->push_back(std::move(column));
  }
}

// Whether `sql` prepares, without spoiling an open transaction when not.
bool Prepares(Database& db, const std::string& sql) {
  PgConnection& pg = *db.pg();
  if (db.transactionLevel() == 0) {
    PgResult unused;
    return pg.Prepare(sql, &unused).ok();
  }
  if (!pg.Exec("SAVEPOINT vant_probe").ok()) return false;
  PgResult unused;
  const bool prepared = pg.Prepare(sql, &unused).ok();
  if (!prepared) (void)pg.Exec("ROLLBACK TO vant_probe");
  (void)pg.Exec("RELEASE vant_probe");
  return prepared;
}

// The query rewritten to carry the key (and to leave bytea values on the
// server), with `out`'s table, key and column origins set; the query as
// it is when its rows cannot be written.
std::string KeyedQuery(Database& db, const std::string& sql, const PGresult* description,
                       RecordsetData* out) {
  const Oid table = SingleTable(description);
  const auto afterSelect = AfterLeadingKeyword(sql, "SELECT");
  if (table == InvalidOid || !afterSelect || FindTopLevelKeyword(sql, "GROUP") ||
      AfterLeadingKeyword(sql.substr(*afterSelect), "DISTINCT")) {
    return sql;
  }
  BaseTable base;
  if (!LookUpTable(*db.pg(), table, &base)) return sql;
  bool allPlain = true;
  bool anyBytea = false;
  for (int i = 0; i < PQnfields(description); ++i) {
    ColumnInfo& column = out->columns[static_cast<std::size_t>(i)];
    if (PQftable(description, i) == table) column.origin = base.names[PQftablecol(description, i)];
    allPlain = allPlain && !column.origin.empty();
    anyBytea = anyBytea || column.type.affinity == Affinity::kBlob;
  }
  const std::string head =
      std::string(kRowidSelect) + QuoteIdentifier(base.key) + std::string(kRowidAlias);
  const auto from = FindTopLevelKeyword(sql, "FROM");
  if (allPlain && anyBytea && from) {
    for (ColumnInfo& column : out->columns) column.lazy = column.type.affinity == Affinity::kBlob;
    const std::string lazy = head + PgProjection(out->columns) + " " + sql.substr(*from);
    if (Prepares(db, lazy)) {
      out->schema = base.schema;
      out->table = base.table;
      out->key = base.key;
      return lazy;
    }
    for (ColumnInfo& column : out->columns) column.lazy = false;
  }
  const std::string keyed = head + sql.substr(*afterSelect);
  if (Prepares(db, keyed)) {
    out->schema = base.schema;
    out->table = base.table;
    out->key = base.key;
    return keyed;
  }
  for (ColumnInfo& column : out->columns) column.origin.clear();
  return sql;
}

Outcome SqlOf(std::u16string_view source, std::int32_t commandType, std::string* sql) {
  *sql = Utf16ToUtf8(source);
  if (commandType == kAdCmdStoredProc) {
    return Outcome::Fail(kNotSupported, u"Stored procedures are not supported by this database.");
  }
  if (commandType == kAdCmdText) return Outcome::Ok();
  const auto table = TableNameOf(*sql);
  if (table || commandType == kAdCmdTable || commandType == kAdCmdTableDirect) {
    *sql = "SELECT * FROM " + QuoteIdentifier(table ? *table : *sql);
  }
  return Outcome::Ok();
}

Outcome LoadRows(const std::shared_ptr<Database>& db, std::u16string_view sql,
                 const LoadOptions& options, std::shared_ptr<RecordsetData>* rows) {
  auto data = std::make_shared<RecordsetData>();
  if (Outcome loaded = PgLoadRecordset(db, sql, true, data.get(), options); !loaded.ok()) {
    return loaded;
  }
  *rows = std::move(data);
  return Outcome::Ok();
}

}  // namespace

std::string PgQualifiedTable(const RecordsetData& data) {
  return QuoteIdentifier(data.schema) + "." + QuoteIdentifier(data.table);
}

std::string PgProjection(const std::vector<ColumnInfo>& columns) {
  std::string list;
  for (const ColumnInfo& column : columns) {
    if (!list.empty()) list += ", ";
    if (column.origin.empty()) {
      list += "NULL";
    } else if (column.lazy) {
      list += "octet_length(" + QuoteIdentifier(column.origin) + ")";
    } else {
      list += QuoteIdentifier(column.origin) + " AS " + QuoteIdentifier(Utf16ToUtf8(column.name));
    }
  }
  return list;
}

void PgReadCells(const PGresult* result, int row, int first, const std::vector<ColumnInfo>& columns,
                 std::vector<Cell>* cells) {
  cells->clear();
  cells->reserve(columns.size());
  int index = first;
  for (const ColumnInfo& column : columns) {
    Cell cell;
    if (PQgetisnull(result, row, index) == 0) {
      const std::string_view text(PQgetvalue(result, row, index),
                                  static_cast<std::size_t>(PQgetlength(result, row, index)));
      if (column.lazy) {
        cell.kind = Cell::Kind::kStoredBlob;
        cell.size = std::atoll(std::string(text).c_str());
      } else {
        cell = PgTextToCell(PQftype(result, index), text);
      }
    }
    cells->push_back(std::move(cell));
    ++index;
  }
}

Outcome PgBindParameters(const PGresult* description, std::span<const Variant> values,
                         std::size_t* next, std::vector<PgParam>* out) {
  out->clear();
  for (int i = 0; i < PQnparams(description); ++i) {
    if (*next >= values.size()) {
      return Outcome::Fail(kMissingParameter,
                           u"No value given for one or more required parameters.");
    }
    PgParam param;
    if (Outcome made = PgParamOf(values[(*next)++], PQparamtype(description, i), &param);
        !made.ok()) {
      return made;
    }
    out->push_back(std::move(param));
  }
  return Outcome::Ok();
}

Outcome PgLoadRecordset(const std::shared_ptr<Database>& db, std::u16string_view source,
                        bool readOnly, RecordsetData* out, const LoadOptions& options) {
  std::string sql;
  if (Outcome made = SqlOf(source, options.commandType, &sql); !made.ok()) return made;
  out->db = db;
  out->readOnly = readOnly;
  if (Outcome open = db->RequireOpen(); !open.ok()) return open;
  const Database::Deadline deadline(*db,
                                    options.timeout >= 0 ? options.timeout : db->commandTimeout());
  PgConnection& pg = *db->pg();
  int count = 0;
  const std::string numbered = NumberPgPlaceholders(sql, &count);
  PgResult description;
  if (Outcome prepared = pg.Prepare(numbered, &description); !prepared.ok()) return prepared;
  out->table.clear();
  DescribeColumns(description.get(), &out->columns);
  const std::string query = KeyedQuery(*db, numbered, description.get(), out);
  const bool hasRowid = !out->table.empty();
  // The probes above replaced the prepared statement: prepare the one to run.
  if (Outcome prepared = pg.Prepare(query, &description); !prepared.ok()) return prepared;
  std::vector<PgParam> params;
  std::size_t next = 0;
  if (Outcome bound = PgBindParameters(description.get(), options.parameters, &next, &params);
      !bound.ok()) {
    return bound;
  }
  PgResult result;
  if (Outcome ran = pg.RunPrepared(params, false, &result); !ran.ok()) return ran;
  int rows = PQntuples(result.get());
  if (options.maxRecords > 0) rows = std::min(rows, options.maxRecords);
  const int first = hasRowid ? 1 : 0;
  for (int r = 0; r < rows; ++r) {
    Row row;
    if (hasRowid) row.rowid = std::atoll(PQgetvalue(result.get(), r, 0));
    PgReadCells(result.get(), r, first, out->columns, &row.cells);
    row.ordinal = out->nextOrdinal++;
    out->rows.push_back(std::move(row));
  }
  out->MoveFirst();
  return Outcome::Ok();
}

Outcome PgExecuteCommand(const std::shared_ptr<Database>& db, std::u16string_view commandText,
                         std::shared_ptr<RecordsetData>* rows, std::int64_t* affected,
                         const LoadOptions& options) {
  *affected = 0;
  rows->reset();
  if (options.commandType == kAdCmdTable || options.commandType == kAdCmdTableDirect ||
      options.commandType == kAdCmdStoredProc) {
    return LoadRows(db, commandText, options, rows);
  }
  if (Outcome open = db->RequireOpen(); !open.ok()) return open;
  const Database::Deadline deadline(*db,
                                    options.timeout >= 0 ? options.timeout : db->commandTimeout());
  PgConnection& pg = *db->pg();
  const std::vector<std::string> statements = SplitPgStatements(Utf16ToUtf8(commandText));
  std::size_t next = 0;  // the first parameter value the next statement takes
  for (std::size_t i = 0; i < statements.size(); ++i) {
    int count = 0;
    const std::string numbered = NumberPgPlaceholders(statements[i], &count);
    PgResult description;
    if (Outcome prepared = pg.Prepare(numbered, &description); !prepared.ok()) return prepared;
    // The last statement that returns rows becomes the recordset.
    if (PQnfields(description.get()) > 0 && i + 1 == statements.size()) {
      LoadOptions remaining = options;
      remaining.parameters = options.parameters.subspan(std::min(next, options.parameters.size()));
      remaining.commandType = kAdCmdText;
      return LoadRows(db, Utf8ToUtf16(statements[i]), remaining, rows);
    }
    std::vector<PgParam> params;
    if (Outcome bound = PgBindParameters(description.get(), options.parameters, &next, &params);
        !bound.ok()) {
      return bound;
    }
    PgResult result;
    if (Outcome ran = pg.RunPrepared(params, false, &result); !ran.ok()) return ran;
    *affected += std::atoll(PQcmdTuples(result.get()));
  }
  return Outcome::Ok();
}

}  // namespace vant::host::ado
