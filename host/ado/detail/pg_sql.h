// Reading command texts for PostgreSQL: splitting a text into its
// statements and turning the `?` parameters pages write into the server's
// $1, $2, ... Quoted strings, quoted identifiers, dollar-quoted bodies and
// comments are skipped, so a '?' or ';' inside them is left alone.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vant::host::ado {

// The statements of `sql`, without their ';' and without blank ones.
std::vector<std::string> SplitPgStatements(std::string_view sql);

// `sql` with each `?` numbered in turn; `count` receives how many.
std::string NumberPgPlaceholders(std::string_view sql, int* count);

}  // namespace vant::host::ado
