// The field types a recordset reports, worked out from a column's declared
// type with SQLite's affinity rules (first matching rule wins):
//   contains "INT"                      -> integer  (adBigInt for BIGINT/INT8, else adInteger)
//   contains "CHAR", "CLOB" or "TEXT"   -> text     (adVarWChar with a length "(n)" up to
//                                                    kMaxVarCharLength, else adLongVarWChar)
//   contains "BLOB", or no declared type -> binary  (adLongVarBinary)
//   contains "REAL", "FLOA" or "DOUB"   -> adDouble
//   anything else (NUMERIC, DECIMAL...) -> adDouble
#pragma once

#include <cstdint>
#include <string_view>

namespace vant::host::ado {

enum class AdoType : std::int32_t {
  kEmpty = 0,
  kSmallInt = 2,
  kInteger = 3,
  kSingle = 4,
  kDouble = 5,
  kBoolean = 11,
  kBigInt = 20,
  kNumeric = 131,
  kDBDate = 133,
  kDBTimeStamp = 135,
  kVarWChar = 202,
  kLongVarWChar = 203,
  kLongVarBinary = 205,
};

// SQLite's column affinities.
enum class Affinity { kInteger, kText, kBlob, kReal, kNumeric };

// Longest declared text length still reported as adVarWChar.
inline constexpr std::int32_t kMaxVarCharLength = 4000;
// DefinedSize of long text and long binary columns.
inline constexpr std::int32_t kLongTextDefinedSize = 536870910;
inline constexpr std::int32_t kLongBinaryDefinedSize = 2147483647;

struct ColumnType {
  AdoType type = AdoType::kLongVarBinary;
  Affinity affinity = Affinity::kBlob;
  std::int32_t definedSize = kLongBinaryDefinedSize;
};

// The affinity of a declared type ("" or null declared type: kBlob).
Affinity AffinityOf(std::string_view declaredType);

// The reported type of a column with the declared type `declaredType`.
ColumnType TypeOfDeclared(std::string_view declaredType);

// The reported type of an expression column, from the storage class
// (SQLITE_INTEGER...) of its first non-null value.
ColumnType TypeOfStorage(int storageClass);

}  // namespace vant::host::ado
