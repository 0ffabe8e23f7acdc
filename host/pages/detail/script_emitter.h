// Writes the script of a page from its chunks, line for line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/pages/detail/page_scanner.h"

namespace vant::host::pages::detail {

// The call literal text and `<%= %>` are written with.
inline constexpr std::string_view kWriteCall = "Response.Write";

struct EmittedScript {
  std::string script;
  std::vector<int> pageLines;  // [n] = line of the (expanded) page that script line n+1 came from
};

// The page part comes first and keeps every line where the page has it:
// script line n is page line n. Server scripts follow, each on fresh lines.
class ScriptEmitter {
 public:
  explicit ScriptEmitter(std::string_view page) : page_(page) {}

  // Page part, in document order.
  void Text(const Chunk& chunk);        // Response.Write("…");
  void Code(const Chunk& chunk);        // the code, assignments to call results rewritten
  void Expression(const Chunk& chunk);  // Response.Write(expression);
  void Omit(const Chunk& chunk);        // only the chunk's line breaks

  // After the page part: a server script's code, on a new line.
  void ServerScript(const Chunk& chunk);

  EmittedScript Finish();

 private:
  void Append(std::string_view text);
  void Separate();
  void EndPagePart();
  std::string_view Body(const Chunk& chunk) const {
    return page_.substr(chunk.bodyBegin, chunk.bodyEnd - chunk.bodyBegin);
  }

  std::string_view page_;
  EmittedScript out_;
  bool pagePartDone_ = false;
  bool afterCode_ = false;       // the last thing written was code
  bool needsSemicolon_ = false;  // and it ends where a statement may end
};

}  // namespace vant::host::pages::detail
