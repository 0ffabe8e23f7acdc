// The fields of the last error of a page, as Server.GetLastError shows them.
#pragma once

#include <cstdint>
#include <string>

namespace vant::host::intrinsics {

struct PageError {
  std::int32_t number = 0;    // the failure status
  std::u16string aspCode;     // the host's own error code, "" for script errors
  std::u16string category;    // "Microsoft JScript runtime" style area name
  std::u16string source;      // the error record's source
  std::u16string description;
  std::u16string aspDescription;
  std::u16string file;        // virtual path of the page
  std::int32_t line = 0;
  std::int32_t column = -1;
};

}  // namespace vant::host::intrinsics
