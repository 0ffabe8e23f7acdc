// The delimiter of a multipart body, from the request's content type:
//   multipart/form-data; boundary=----WebKitFormBoundaryX3b9
// gives CR LF "--" "----WebKitFormBoundaryX3b9".
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "frame/message_ids.h"

namespace vant::upload {

struct DelimiterResult {
  std::optional<frame::MessageId> error;  // set on failure
  std::int32_t length = 0;                // characters of the delimiter (the insert of 0x40020020)
  std::vector<std::uint8_t> bytes;        // the delimiter on success
};

// Fails with 0x40020018 without "multipart/form-data", 0x40020019 without
// "boundary=" (both matched case-sensitively), 0x40020020 when the delimiter
// has 5 or fewer or 127 or more characters, 0x40020021 when it is not ASCII.
// The boundary runs from the first "boundary=" to the end of the value; a
// boundary written in double quotes is the text between them.
DelimiterResult DelimiterFromContentType(std::u16string_view contentType);

}  // namespace vant::upload
