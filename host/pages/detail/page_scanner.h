// Splits page text into literal text, `<% %>` blocks and server scripts.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vant::host::pages::detail {

enum class ChunkKind {
  kText,          // literal text, written out as is
  kCode,          // <% code %>
  kExpression,    // <%= expression %>
  kDirective,     // <%@ keyword=value … %>
  kServerScript,  // <script runat="server" …>code</script>
  kMetadata,      // <!--METADATA TYPE="typelib" …-->, never written out
};

struct Chunk {
  ChunkKind kind = ChunkKind::kText;
  std::size_t begin = 0;  // the whole construct, delimiters and tags included
  std::size_t end = 0;
  std::size_t bodyBegin = 0;  // what is inside the delimiters or tags
  std::size_t bodyEnd = 0;
  std::string language;  // server scripts: the language= or type= value, "" when absent
};

struct ScanError {
  std::string message;
  std::size_t offset = 0;  // where the offending construct starts
};

// Cuts text into chunks that cover it end to end, in order. A `<% … %>`
// block ends at the first `%>` outside a string literal. `<script>` tags
// without runat="server" are literal text (and `<% %>` inside them still
// runs). A `<!--METADATA … -->` comment is a chunk of its own, its body
// what lies between `<!--` and `-->`. Fails on a `<%` without `%>`, a server script without
// `</script>`, and a server script with a src= attribute.
std::variant<std::vector<Chunk>, ScanError> ScanPage(std::string_view text);

}  // namespace vant::host::pages::detail
