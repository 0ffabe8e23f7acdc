// Literal page text as the inside of a double-quoted script string.
#pragma once

#include <string>
#include <string_view>

namespace vant::host::pages::detail {

// Appends text to out escaped for a "…" string literal. Each line break in
// text becomes its escape followed by a backslash-newline continuation, so
// the literal holds the same characters and spans the same number of lines
// as the text. Valid UTF-8 is kept as is; a byte that is not part of a valid
// sequence becomes \xNN (the character with that code).
void AppendStringBody(std::string& out, std::string_view text);

}  // namespace vant::host::pages::detail
