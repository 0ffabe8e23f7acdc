#include "download/response_text.h"

namespace vant::download {

std::u16string DispositionValue(bool attach, std::u16string_view name) {
  std::u16string value = attach ? u"attachment; filename=" : u"inline; filename=";
  value += u'"';
  for (const char16_t c : name) {
    // A quote or backslash in the name would end the quoted string early and
    // let the rest of the name add parameters of its own: send them escaped.
    if (c == u'"' || c == u'\\') value += u'\\';
    value += c;
  }
  value += u'"';
  return value;
}

std::u16string DecimalText(std::int64_t value) {
  const std::string text = std::to_string(value);
  return std::u16string(text.begin(), text.end());
}

}  // namespace vant::download
