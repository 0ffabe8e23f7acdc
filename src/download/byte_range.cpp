#include "download/byte_range.h"

#include <limits>

namespace vant::download {
namespace {

constexpr std::u16string_view kUnit = u"bytes=";

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool StartsWithUnit(std::u16string_view value) {
  if (value.size() < kUnit.size()) return false;
  for (std::size_t i = 0; i < kUnit.size(); ++i) {
    char16_t c = value[i];
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    if (c != kUnit[i]) return false;
  }
  return true;
}

}  // namespace

std::optional<std::int64_t> ParseRangeStart(std::u16string_view value) {
  if (!StartsWithUnit(value)) return std::nullopt;
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  std::size_t i = kUnit.size();
  std::int64_t start = 0;
  bool digits = false;
  for (; i < value.size() && IsDigit(value[i]); ++i) {
    const int digit = value[i] - u'0';
    start = start > (kMax - digit) / 10 ? kMax : start * 10 + digit;
    digits = true;
  }
  if (!digits || i >= value.size() || value[i] != u'-') return std::nullopt;
  return start;
}

RangeAnswer AnswerRange(std::int64_t start, std::int64_t length) {
  return start >= 0 && start < length ? RangeAnswer::kPartial : RangeAnswer::kUnsatisfiable;
}

}  // namespace vant::download
