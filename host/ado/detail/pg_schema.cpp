#include "host/ado/detail/pg_schema.h"

#include "host/ado/detail/pg_types.h"

namespace vant::host::ado {
namespace {

constexpr std::string_view kTablesSql =
    "SELECT NULL AS \"TABLE_CATALOG\", table_schema::text AS \"TABLE_SCHEMA\", "
    "table_name::text AS \"TABLE_NAME\", "
    "CASE table_type WHEN 'VIEW' THEN 'VIEW' ELSE 'TABLE' END AS \"TABLE_TYPE\", "
    "NULL AS \"TABLE_GUID\", NULL AS \"DESCRIPTION\" FROM information_schema.tables "
    "WHERE table_schema NOT IN ('pg_catalog', 'information_schema') "
    "AND ($1::text IS NULL OR table_name = $1) "
    "AND ($2::text IS NULL OR (CASE table_type WHEN 'VIEW' THEN 'VIEW' ELSE 'TABLE' END) = $2) "
    "ORDER BY table_name";

constexpr std::string_view kColumnsSql =
    "SELECT NULL AS \"TABLE_CATALOG\", n.nspname::text AS \"TABLE_SCHEMA\", "
    "c.relname::text AS \"TABLE_NAME\", a.attname::text AS \"COLUMN_NAME\", "
    "row_number() OVER (PARTITION BY c.oid ORDER BY a.attnum)::int4 AS \"ORDINAL_POSITION\", "
    "a.atthasdef AS \"COLUMN_HAS_DEFAULT\", pg_get_expr(d.adbin, d.adrelid) AS "
    "\"COLUMN_DEFAULT\", NOT a.attnotnull AS \"IS_NULLABLE\", a.atttypid::int8 AS \"DATA_TYPE\", "
    "a.atttypmod AS \"CHARACTER_MAXIMUM_LENGTH\" "
    "FROM pg_attribute a JOIN pg_class c ON c.oid = a.attrelid "
    "JOIN pg_namespace n ON n.oid = c.relnamespace "
    "LEFT JOIN pg_attrdef d ON d.adrelid = a.attrelid AND d.adnum = a.attnum "
    "WHERE c.relkind IN ('r', 'v', 'p') AND a.attnum > 0 AND NOT a.attisdropped "
    "AND n.nspname NOT IN ('pg_catalog', 'information_schema') "
    "AND n.nspname NOT LIKE 'pg\\_toast%' "
    "AND ($1::text IS NULL OR c.relname = $1) AND ($2::text IS NULL OR a.attname = $2) "
    "ORDER BY c.relname, a.attnum";

constexpr std::size_t kDataTypeColumn = 8;
constexpr std::size_t kMaxLengthColumn = 9;

}  // namespace

std::string_view PgSchemaSql(bool tables) { return tables ? kTablesSql : kColumnsSql; }

void PgTypeSchemaColumns(RecordsetData& rows) {
  if (rows.columns.size() <= kMaxLengthColumn) return;
  const ColumnType integer{AdoType::kInteger, Affinity::kInteger, 4};
  rows.columns[kDataTypeColumn].type = integer;
  rows.columns[kMaxLengthColumn].type = integer;
  for (Row& row : rows.rows) {
    Cell& oid = row.cells[kDataTypeColumn];
    Cell& length = row.cells[kMaxLengthColumn];
    const ColumnType type =
        TypeOfPgColumn(static_cast<unsigned>(oid.integer), static_cast<int>(length.integer));
    oid.integer = static_cast<std::int32_t>(type.type);
    length = Cell{};
    if (type.affinity == Affinity::kText) {
      length.kind = Cell::Kind::kInteger;
      length.integer = type.definedSize;
    }
  }
}

}  // namespace vant::host::ado
