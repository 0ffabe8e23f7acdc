#include "platform/sys/form_limits.h"

#include <charconv>

#include "platform/sys/settings.h"

namespace vant::sys {

bool ParseFormLimit(std::string_view text, std::uint32_t& out) {
  std::uint64_t value = 0;
  const char* const end = text.data() + text.size();
  // from_chars takes no sign or blank for an unsigned type, which is the rule.
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end) return false;
  if (value == 0 || value > kLargestFormLimit) return false;
  out = static_cast<std::uint32_t>(value);
  return true;
}

std::uint32_t MaxFormParts() { return CurrentSettings().maxFormParts; }

std::uint32_t MaxFieldSize() { return CurrentSettings().maxFieldSize; }

}  // namespace vant::sys
