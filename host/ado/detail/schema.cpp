#include "host/ado/detail/schema.h"

#include <array>
#include <string_view>

#include "host/ado/detail/ado_error.h"
#include "host/ado/detail/execute.h"
#include "host/ado/detail/pg_schema.h"
#include "host/ado/interfaces.h"

namespace vant::host::ado {
namespace {

constexpr std::string_view kTablesSql =
    "SELECT NULL AS TABLE_CATALOG, NULL AS TABLE_SCHEMA, name AS TABLE_NAME, "
    "CASE type WHEN 'view' THEN 'VIEW' ELSE 'TABLE' END AS TABLE_TYPE, "
    "NULL AS TABLE_GUID, NULL AS DESCRIPTION "
    "FROM sqlite_master WHERE type IN ('table', 'view') AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' "
    "AND (?1 IS NULL OR name = ?1) "
    "AND (?2 IS NULL OR (CASE type WHEN 'view' THEN 'VIEW' ELSE 'TABLE' END) = ?2) "
    "ORDER BY name";

constexpr std::string_view kColumnsSql =
    "SELECT NULL AS TABLE_CATALOG, NULL AS TABLE_SCHEMA, m.name AS TABLE_NAME, "
    "p.name AS COLUMN_NAME, p.cid + 1 AS ORDINAL_POSITION, "
    "p.dflt_value IS NOT NULL AS COLUMN_HAS_DEFAULT, p.dflt_value AS COLUMN_DEFAULT, "
    "p.\"notnull\" = 0 AS IS_NULLABLE, p.type AS DATA_TYPE, "
    "NULL AS CHARACTER_MAXIMUM_LENGTH "
    "FROM sqlite_master m JOIN pragma_table_info(m.name) p "
    "WHERE m.type IN ('table', 'view') AND m.name NOT LIKE 'sqlite\\_%' ESCAPE '\\' "
    "AND (?1 IS NULL OR m.name = ?1) AND (?2 IS NULL OR p.name = ?2) "
    "ORDER BY m.name, p.cid";

constexpr std::size_t kDataTypeColumn = 8;
constexpr std::size_t kMaxLengthColumn = 9;

// Restrictions 3 and 4 (table name; table type or column name) as the two
// parameters; Null where a restriction is absent.
Outcome Narrowing(const Variant& given, std::array<Variant, 2>* out) {
  out->fill(Variant::Null());
  const Variant& restrictions = given.Deref();
  if (restrictions.IsMissing() || restrictions.IsEmpty() || restrictions.IsNull()) {
    return Outcome::Ok();
  }
  if ((restrictions.vt() & VT_ARRAY) == 0 || restrictions.array() == nullptr) {
    return Outcome::Fail(kBadArgument, u"The restrictions must be an array.");
  }
  const SafeArray& array = *restrictions.array();
  for (std::size_t i = 0; i < out->size(); ++i) {
    Variant item;
    if (Failed(array.GetElement(array.LowerBound() + 2 + static_cast<std::int32_t>(i), &item))) {
      continue;
    }
    if (!item.IsEmpty()) (*out)[i] = std::move(item);
  }
  return Outcome::Ok();
}

// DATA_TYPE as the field type number the declared type reports, and the
// length of text columns.
void TypeColumns(RecordsetData& rows) {
  rows.columns[kDataTypeColumn].type = TypeOfStorage(SQLITE_INTEGER);
  rows.columns[kMaxLengthColumn].type = TypeOfStorage(SQLITE_INTEGER);
  for (Row& row : rows.rows) {
    Cell& declared = row.cells[kDataTypeColumn];
    const ColumnType type =
        TypeOfDeclared(declared.kind == Cell::Kind::kText ? Utf16ToUtf8(declared.text) : "");
    declared = Cell{};
    declared.kind = Cell::Kind::kInteger;
    declared.integer = static_cast<std::int32_t>(type.type);
    if (type.affinity == Affinity::kText) {
      Cell& length = row.cells[kMaxLengthColumn];
      length.kind = Cell::Kind::kInteger;
      length.integer = type.definedSize;
    }
  }
}

}  // namespace

Outcome LoadSchema(const std::shared_ptr<Database>& db, std::int32_t schema,
                   const Variant& restrictions, std::shared_ptr<RecordsetData>* out) {
  if (schema != kAdSchemaTables && schema != kAdSchemaColumns) {
    return Outcome::Fail(kNotSupported,
                         u"Object or provider is not capable of performing requested operation.");
  }
  std::array<Variant, 2> values;
  if (Outcome narrowed = Narrowing(restrictions, &values); !narrowed.ok()) return narrowed;
  LoadOptions options;
  options.parameters = values;
  options.commandType = 1;
  const bool tables = schema == kAdSchemaTables;
  const std::string_view sql =
      db->postgres() ? PgSchemaSql(tables) : (tables ? kTablesSql : kColumnsSql);
  std::int64_t affected = 0;
  if (Outcome done = ExecuteCommand(db, Utf8ToUtf16(sql), out, &affected, options); !done.ok()) {
    return done;
  }
  if (!tables && *out) db->postgres() ? PgTypeSchemaColumns(**out) : TypeColumns(**out);
  return Outcome::Ok();
}

}  // namespace vant::host::ado
