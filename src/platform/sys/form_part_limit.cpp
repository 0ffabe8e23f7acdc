#include "platform/sys/form_part_limit.h"

#include <atomic>
#include <charconv>
#include <cstdlib>

namespace vant::sys {
namespace {

// 0 is never a valid limit, so it marks "not read yet".
constexpr std::uint32_t kNotRead = 0;
std::atomic<std::uint32_t> g_maxFormParts{kNotRead};

std::uint32_t LimitFromEnvironment() {
  const char* text = std::getenv(kMaxFormPartsVariable);
  std::uint32_t value = kDefaultMaxFormParts;
  if (text != nullptr) (void)ParseMaxFormParts(text, value);
  return value;
}

}  // namespace

bool ParseMaxFormParts(std::string_view text, std::uint32_t& out) {
  std::uint64_t value = 0;
  const char* const end = text.data() + text.size();
  // from_chars takes no sign or blank for an unsigned type, which is the rule.
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end) return false;
  if (value == 0 || value > kLargestMaxFormParts) return false;
  out = static_cast<std::uint32_t>(value);
  return true;
}

std::uint32_t MaxFormParts() {
  const std::uint32_t cached = g_maxFormParts.load(std::memory_order_relaxed);
  if (cached != kNotRead) return cached;
  const std::uint32_t read = LimitFromEnvironment();
  g_maxFormParts.store(read, std::memory_order_relaxed);
  return read;
}

void RereadMaxFormParts() { g_maxFormParts.store(kNotRead, std::memory_order_relaxed); }

}  // namespace vant::sys
