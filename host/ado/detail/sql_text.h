// Just enough reading of SQL text to open a recordset: is a source a table
// name, where does the top-level FROM start, does the text start with
// SELECT. Quoted strings, quoted identifiers, comments and parentheses are
// skipped, so keywords inside them are never found.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vant::host::ado {

// The table a recordset source names when it is a bare (optionally quoted)
// table name rather than a statement: "files", "[my files]", "\"a b\"".
std::optional<std::string> TableNameOf(std::string_view source);

// `name` as a quoted SQL identifier: "a""b" for a"b.
std::string QuoteIdentifier(std::string_view name);

// Offset of the first token after a leading keyword `word` (any case), or
// nullopt when the text does not start with it. Leading blanks and
// comments are skipped.
std::optional<std::size_t> AfterLeadingKeyword(std::string_view sql, std::string_view word);

// Offset of the keyword `word` (any case) at parenthesis depth 0, outside
// strings and comments, or nullopt.
std::optional<std::size_t> FindTopLevelKeyword(std::string_view sql, std::string_view word);

}  // namespace vant::host::ado
