// Recordset.Filter criteria, Recordset.Find and Recordset.Sort over loaded
// rows. Criteria are clauses `field op value` joined by AND and OR, with
// parentheses; op is one of = <> != < > <= >= LIKE; a value is 'text'
// (a doubled quote inside stands for one), #date# (compared as text), a
// number, or NULL (only with = and <>). Field names may be [bracketed].
// LIKE takes * or % as "any characters". Text compares without regard to
// letter case; a number column against a number compares numerically.
// Values of BLOB columns left in the database compare as Null.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "host/ado/detail/outcome.h"
#include "host/ado/detail/recordset_data.h"

namespace vant::host::ado {

struct Literal {
  enum class Kind : std::uint8_t { kNull, kNumber, kText };
  Kind kind = Kind::kNull;
  double number = 0;
  std::u16string text;
};

struct Clause {
  enum class Op : std::uint8_t { kEq, kNe, kLt, kGt, kLe, kGe, kLike };
  std::size_t column = 0;
  Op op = Op::kEq;
  Literal value;
};

struct Criteria {
  enum class Kind : std::uint8_t { kClause, kAnd, kOr };
  Kind kind = Kind::kClause;
  Clause clause;                // kClause
  std::vector<Criteria> parts;  // kAnd, kOr
};

// Parses criteria against `columns`. kItemNotFound for an unknown field;
// kBadArgument for anything malformed, or nested deeper than 32 levels.
Outcome ParseCriteria(std::u16string_view text, const std::vector<ColumnInfo>& columns,
                      Criteria* out);

// Whether the row's values satisfy the criteria.
bool Matches(const Criteria& criteria, const Row& row);

struct SortKey {
  std::size_t column = 0;
  bool descending = false;
};

// "name [ASC|DESC], other ..." against `columns`; an empty text gives no
// keys. kItemNotFound for an unknown field, kBadArgument otherwise.
Outcome ParseSort(std::u16string_view text, const std::vector<ColumnInfo>& columns,
                  std::vector<SortKey>* out);

// Orders two rows by the keys (Null first, numbers numerically, text
// without regard to case); negative, zero or positive.
int CompareRows(const Row& a, const Row& b, const std::vector<SortKey>& keys);

}  // namespace vant::host::ado
