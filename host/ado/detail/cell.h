// One value of a loaded row. BLOB values of lazily read columns are never
// held: the cell keeps their size, and the bytes are read through the
// row's rowid when they are asked for.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vant::host::ado {

struct Cell {
  enum class Kind : std::uint8_t {
    kNull,
    kInteger,
    kReal,
    kText,
    kBytes,        // a BLOB value held in `bytes`
    kStoredBlob,   // a BLOB of `size` bytes left in the database
    kStoredValue,  // a non-BLOB value of a lazily read column, read on demand
    kBoolean,      // `integer` 0 or 1
    kDate,         // `real` as an automation date
  };
  Kind kind = Kind::kNull;
  std::int64_t integer = 0;
  double real = 0;
  std::u16string text;
  std::vector<std::uint8_t> bytes;
  std::int64_t size = 0;  // kStoredBlob; the storage size of kBoolean and kDate
};

}  // namespace vant::host::ado
