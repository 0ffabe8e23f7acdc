#include "platform/sys/ansi_code_page.h"

#include <atomic>
#include <charconv>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/sys/code_page.h"

namespace vant::sys {
namespace {

constexpr uint32_t kNotRead = 0;
std::atomic<uint32_t> g_ansiCodePage{kNotRead};

// The code page named by the environment, or the default when it is
// missing, not a number, or not supported.
uint32_t CodePageFromEnvironment() {
  const char* text = std::getenv(kAnsiCodePageVariable);
  if (text == nullptr) return kDefaultAnsiCodePage;
  const std::string_view view(text);
  uint32_t value = 0;
  const auto [end, error] = std::from_chars(view.data(), view.data() + view.size(), value);
  if (error != std::errc() || end != view.data() + view.size()) return kDefaultAnsiCodePage;
  if (value == kCodePageAnsi || !IsSupportedCodePage(value)) return kDefaultAnsiCodePage;
  return value;
}

}  // namespace

bool SetAnsiCodePage(uint32_t codePage) {
  if (codePage == kCodePageAnsi || !IsSupportedCodePage(codePage)) return false;
  g_ansiCodePage.store(codePage);
  setenv(kAnsiCodePageVariable, std::to_string(codePage).c_str(), 1);
  return true;
}

uint32_t AnsiCodePage() {
  const uint32_t current = g_ansiCodePage.load();
  if (current != kNotRead) return current;
  uint32_t expected = kNotRead;
  const uint32_t fromEnvironment = CodePageFromEnvironment();
  // A concurrent setter wins over the lazily read value.
  if (!g_ansiCodePage.compare_exchange_strong(expected, fromEnvironment)) return expected;
  return fromEnvironment;
}

}  // namespace vant::sys
