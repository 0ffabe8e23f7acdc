// What a part's header lines say, read the way browsers write them:
//   Content-Disposition: form-data; name="field"; filename="C:\dir\a.txt"
//   Content-Type: image/png
// Keywords are matched in any letter case; values keep theirs.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "frame/message_ids.h"

namespace vant::upload {

enum class PartKind : int { kFailed = -1, kField = 1, kFile = 2 };

struct DispositionInfo {
  PartKind kind = PartKind::kFailed;
  frame::MessageId error{};  // why, when kind is kFailed
  std::u16string name;       // the name parameter
  std::u16string filePath;   // the file name as sent when it holds "\", else ""
  std::u16string fileName;   // the sent file name after its last "\"
};

// Interprets a Content-Disposition line. kFile when a filename parameter
// follows the name (also an empty one), else kField. Fails with 0x40020010
// (no "name="), 0x40020011 (a quoted value without its closing quote) or
// 0x40020012 (an unquoted name without a following ";"). The file name is
// kept exactly as sent; nothing here turns it into a path.
DispositionInfo InterpretContentDisposition(std::u16string_view line);

// The MIME type from the header line after a file part's disposition: ""
// for an empty line (the headers ended), the text after "Content-Type: " for
// a Content-Type line, nullopt (0x40020013) for any other line.
std::optional<std::u16string> InterpretContentType(std::u16string_view line);

}  // namespace vant::upload
