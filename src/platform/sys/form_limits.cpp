#include "platform/sys/form_limits.h"

#include <atomic>
#include <charconv>
#include <cstdlib>

namespace vant::sys {
namespace {

// 0 is never a valid limit, so it marks "not read yet".
constexpr std::uint32_t kNotRead = 0;

// One limit read from its variable at first use and cached after.
class CachedLimit {
 public:
  constexpr CachedLimit(const char* variable, std::uint32_t fallback)
      : variable_(variable), fallback_(fallback) {}

  std::uint32_t Get() {
    const std::uint32_t cached = value_.load(std::memory_order_relaxed);
    if (cached != kNotRead) return cached;
    std::uint32_t read = fallback_;
    if (const char* text = std::getenv(variable_)) (void)ParseFormLimit(text, read);
    value_.store(read, std::memory_order_relaxed);
    return read;
  }
  void Forget() { value_.store(kNotRead, std::memory_order_relaxed); }

 private:
  const char* const variable_;
  const std::uint32_t fallback_;
  std::atomic<std::uint32_t> value_{kNotRead};
};

CachedLimit g_maxFormParts(kMaxFormPartsVariable, kDefaultMaxFormParts);
CachedLimit g_maxFieldSize(kMaxFieldSizeVariable, kDefaultMaxFieldSize);

}  // namespace

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

std::uint32_t MaxFormParts() { return g_maxFormParts.Get(); }

std::uint32_t MaxFieldSize() { return g_maxFieldSize.Get(); }

void RereadFormLimits() {
  g_maxFormParts.Forget();
  g_maxFieldSize.Forget();
}

}  // namespace vant::sys
