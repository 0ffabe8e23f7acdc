#include "download/response_text.h"

namespace vant::download {

std::u16string DispositionValue(bool attach, std::u16string_view name, bool quoted) {
  std::u16string value = attach ? u"attachment; filename=" : u"inline; filename=";
  if (quoted) value += u'"';
  value += name;
  if (quoted) value += u'"';
  return value;
}

std::u16string DecimalText(std::int64_t value) {
  const std::string text = std::to_string(value);
  return std::u16string(text.begin(), text.end());
}

}  // namespace vant::download
