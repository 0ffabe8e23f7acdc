#include "host/ado/detail/column_type.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

namespace vant::host::ado {
namespace {

TEST(ColumnTypeTest, DeclaredTypes) {
  struct Row {
    const char* declared;
    AdoType type;
    std::int32_t definedSize;
  };
  const Row rows[] = {
      {"INTEGER", AdoType::kInteger, 4},
      {"int", AdoType::kInteger, 4},
      {"BIGINT", AdoType::kBigInt, 8},
      {"INT8", AdoType::kBigInt, 8},
      {"VARCHAR(50)", AdoType::kVarWChar, 50},
      {"nvarchar( 20 )", AdoType::kVarWChar, 20},
      {"VARCHAR(10000)", AdoType::kLongVarWChar, kLongTextDefinedSize},
      {"CHARACTER", AdoType::kLongVarWChar, kLongTextDefinedSize},
      {"TEXT", AdoType::kLongVarWChar, kLongTextDefinedSize},
      {"CLOB", AdoType::kLongVarWChar, kLongTextDefinedSize},
      {"BLOB", AdoType::kLongVarBinary, kLongBinaryDefinedSize},
      {"", AdoType::kLongVarBinary, kLongBinaryDefinedSize},
      {"REAL", AdoType::kDouble, 8},
      {"DOUBLE PRECISION", AdoType::kDouble, 8},
      {"FLOAT", AdoType::kDouble, 8},
      {"NUMERIC", AdoType::kDouble, 8},
      // Affinity rules apply in order: "INT" wins over "CHAR" and "POINT" is an integer.
      {"CHARINT", AdoType::kInteger, 4},
      {"FLOATING POINT", AdoType::kInteger, 4},
      {"BLOBTEXT", AdoType::kLongVarWChar, kLongTextDefinedSize},
  };
  for (const Row& row : rows) {
    const ColumnType got = TypeOfDeclared(row.declared);
    EXPECT_EQ(got.type, row.type) << row.declared << " got " << static_cast<int>(got.type);
    EXPECT_EQ(got.definedSize, row.definedSize) << row.declared;
  }
}

TEST(ColumnTypeTest, StorageClasses) {
  EXPECT_EQ(TypeOfStorage(SQLITE_INTEGER).type, AdoType::kBigInt);
  EXPECT_EQ(TypeOfStorage(SQLITE_FLOAT).type, AdoType::kDouble);
  EXPECT_EQ(TypeOfStorage(SQLITE_TEXT).type, AdoType::kLongVarWChar);
  EXPECT_EQ(TypeOfStorage(SQLITE_BLOB).type, AdoType::kLongVarBinary);
  EXPECT_EQ(TypeOfStorage(SQLITE_NULL).type, AdoType::kLongVarWChar);
}

}  // namespace
}  // namespace vant::host::ado
