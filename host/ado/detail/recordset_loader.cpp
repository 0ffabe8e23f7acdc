#include "host/ado/detail/recordset_loader.h"

#include <string>

#include "host/ado/detail/ado_error.h"
#include "host/ado/detail/pg_recordset.h"
#include "host/ado/detail/row_codec.h"
#include "host/ado/detail/sql_text.h"

namespace vant::host::ado {
namespace {

constexpr std::string_view kRowidSelect = "SELECT rowid AS __vant_rowid, ";

struct Plan {
  Statement stmt;
  bool hasRowid = false;
};

std::string Text(const char* text) { return text != nullptr ? text : ""; }

// The query with the rowid added in front of its select list, or "" when
// the text is not a SELECT that can carry one.
std::string WithRowid(std::string_view sql) {
  const auto afterSelect = AfterLeadingKeyword(sql, "SELECT");
  if (!afterSelect || FindTopLevelKeyword(sql, "GROUP")) return {};
  return std::string(kRowidSelect) + std::string(sql.substr(*afterSelect));
}

// The base table of a rowid-carrying statement, or "" when its columns do
// not all come from the table the rowid belongs to.
std::string BaseTable(sqlite3_stmt* stmt, std::string* schema) {
  const std::string table = Text(sqlite3_column_table_name(stmt, 0));
  *schema = Text(sqlite3_column_database_name(stmt, 0));
  if (schema->empty()) *schema = "main";
  if (table.empty()) return {};
  for (int i = 1; i < sqlite3_column_count(stmt); ++i) {
    const char* other = sqlite3_column_table_name(stmt, i);
    if (other == nullptr) continue;
    if (table != other || *schema != Text(sqlite3_column_database_name(stmt, i))) return {};
  }
  return table;
}

void DescribeColumns(sqlite3_stmt* stmt, int first, bool withOrigin, std::vector<ColumnInfo>* out) {
  out->clear();
  for (int i = first; i < sqlite3_column_count(stmt); ++i) {
    ColumnInfo column;
    const auto* name = static_cast<const char16_t*>(sqlite3_column_name16(stmt, i));
    column.name = name != nullptr ? name : u"";
    if (withOrigin) column.origin = Text(sqlite3_column_origin_name(stmt, i));
    const char* declared = sqlite3_column_decltype(stmt, i);
    // An expression without a declared type is typed from its values later.
    const bool typed = declared != nullptr || !column.origin.empty();
    column.type = typed ? TypeOfDeclared(Text(declared)) : TypeOfStorage(SQLITE_NULL);
    out->push_back(std::move(column));
  }
}

bool AllPlainWithBlob(const std::vector<ColumnInfo>& columns) {
  bool blob = false;
  for (const ColumnInfo& column : columns) {
    if (column.origin.empty()) return false;
    blob = blob || column.type.affinity == Affinity::kBlob;
  }
  return blob;
}

// Replaces the select list so that BLOB columns are not read; keeps the
// plan as it is when the rebuilt text does not prepare (an alias of a BLOB
// column used in WHERE, for instance).
void LeaveBlobsInDatabase(Database& db, std::string_view sql, Plan* plan, RecordsetData* out) {
  const auto from = FindTopLevelKeyword(sql, "FROM");
  if (!from) return;
  for (ColumnInfo& column : out->columns) column.lazy = column.type.affinity == Affinity::kBlob;
  const std::string rebuilt = std::string(kRowidSelect) + ProjectionSql(out->columns) + " " +
                              std::string(sql.substr(*from));
  Statement stmt;
  if (db.Prepare(rebuilt, &stmt).ok() && stmt) {
    plan->stmt = std::move(stmt);
    return;
  }
  for (ColumnInfo& column : out->columns) column.lazy = false;
}

Outcome Prepare(Database& db, const std::string& sql, Plan* plan, RecordsetData* out) {
  if (const std::string rewritten = WithRowid(sql); !rewritten.empty()) {
    Statement stmt;
    if (db.Prepare(rewritten, &stmt).ok() && stmt) {
      out->table = BaseTable(stmt.get(), &out->schema);
      if (!out->table.empty()) {
        DescribeColumns(stmt.get(), 1, true, &out->columns);
        plan->stmt = std::move(stmt);
        plan->hasRowid = true;
        if (AllPlainWithBlob(out->columns)) LeaveBlobsInDatabase(db, sql, plan, out);
        return Outcome::Ok();
      }
    }
  }
  out->table.clear();
  if (Outcome prepared = db.Prepare(sql, &plan->stmt); !prepared.ok()) return prepared;
  if (!plan->stmt) return Outcome::Fail(kDatabaseError, u"The command text holds no statement.");
  DescribeColumns(plan->stmt.get(), 0, false, &out->columns);
  return Outcome::Ok();
}

// Expression columns take the type of their first non-null value.
void TypeExpressionColumns(RecordsetData* out) {
  for (std::size_t c = 0; c < out->columns.size(); ++c) {
    ColumnInfo& column = out->columns[c];
    if (!column.origin.empty()) continue;
    for (const Row& row : out->rows) {
      const Cell& cell = row.cells[c];
      if (cell.kind == Cell::Kind::kNull) continue;
      const int storage = cell.kind == Cell::Kind::kInteger ? SQLITE_INTEGER
                          : cell.kind == Cell::Kind::kReal  ? SQLITE_FLOAT
                          : cell.kind == Cell::Kind::kText  ? SQLITE_TEXT
                                                            : SQLITE_BLOB;
      column.type = TypeOfStorage(storage);
      break;
    }
  }
}

// The statement a source stands for: a table name becomes SELECT * FROM it.
Outcome SqlOf(std::u16string_view source, std::int32_t commandType, std::string* sql) {
  *sql = Utf16ToUtf8(source);
  if (commandType == kAdCmdStoredProc) {
    return Outcome::Fail(kNotSupported, u"Stored procedures are not supported by this database.");
  }
  if (commandType == kAdCmdTable || commandType == kAdCmdTableDirect) {
    const auto table = TableNameOf(*sql);
    *sql = "SELECT * FROM " + QuoteIdentifier(table ? *table : *sql);
    return Outcome::Ok();
  }
  if (commandType == kAdCmdText) return Outcome::Ok();
  if (auto table = TableNameOf(*sql)) *sql = "SELECT * FROM " + QuoteIdentifier(*table);
  return Outcome::Ok();
}

}  // namespace

Outcome BindParameters(sqlite3_stmt* stmt, std::span<const Variant> values, std::size_t* next) {
  const int count = sqlite3_bind_parameter_count(stmt);
  for (int index = 1; index <= count; ++index) {
    if (*next >= values.size()) {
      return Outcome::Fail(kMissingParameter,
                           u"No value given for one or more required parameters.");
    }
    if (Outcome bound = BindVariant(stmt, index, values[(*next)++]); !bound.ok()) return bound;
  }
  return Outcome::Ok();
}

Outcome LoadRecordset(const std::shared_ptr<Database>& db, std::u16string_view source,
                      bool readOnly, RecordsetData* out, const LoadOptions& options) {
  if (db->postgres()) return PgLoadRecordset(db, source, readOnly, out, options);
  std::string sql;
  if (Outcome made = SqlOf(source, options.commandType, &sql); !made.ok()) return made;
  out->db = db;
  out->readOnly = readOnly;
  const Database::Deadline deadline(*db,
                                    options.timeout >= 0 ? options.timeout : db->commandTimeout());
  Plan plan;
  if (Outcome prepared = Prepare(*db, sql, &plan, out); !prepared.ok()) return prepared;
  std::size_t next = 0;
  if (Outcome bound = BindParameters(plan.stmt.get(), options.parameters, &next); !bound.ok()) {
    return bound;
  }
  const int first = plan.hasRowid ? 1 : 0;
  for (bool more = true;;) {
    if (options.maxRecords > 0 &&
        out->rows.size() >= static_cast<std::size_t>(options.maxRecords)) {
      break;
    }
    if (Outcome stepped = db->Step(plan.stmt.get(), &more); !stepped.ok()) return stepped;
    if (!more) break;
    Row row;
    if (plan.hasRowid) row.rowid = sqlite3_column_int64(plan.stmt.get(), 0);
    ReadCells(plan.stmt.get(), first, out->columns, &row.cells);
    row.ordinal = out->nextOrdinal++;
    out->rows.push_back(std::move(row));
  }
  TypeExpressionColumns(out);
  out->MoveFirst();
  return Outcome::Ok();
}

}  // namespace vant::host::ado
