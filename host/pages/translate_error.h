// Why a page could not be translated, and where.
#pragma once

#include <string>

namespace vant::host::pages {

struct TranslateError {
  std::string message;  // a sentence for the error page
  std::string file;     // virtual path of the file at fault ("/inc/a.inc")
  int line = 0;         // 1-based; 0 when no line applies (the page itself is missing)
};

}  // namespace vant::host::pages
