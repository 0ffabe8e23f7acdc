// The host's ANSI code page: the code page that number 0 stands for.
#pragma once

#include <cstdint>

namespace vant::sys {

// Environment variable that carries the setting to every copy of this
// library in the process (the component module links its own copy).
inline constexpr const char kAnsiCodePageVariable[] = "VANT_ANSI_CODEPAGE";

// The ANSI code page used when none is set anywhere.
inline constexpr uint32_t kDefaultAnsiCodePage = 65001;

// Sets the process's ANSI code page and publishes it in the environment for
// other copies of this library that have not read it yet. Call at start-up,
// before other threads run. Returns false, changing nothing, when `codePage`
// is 0 or not a supported code page.
bool SetAnsiCodePage(uint32_t codePage);

// The ANSI code page: the value set in this copy, else the environment
// variable (read once), else 65001. Never returns 0.
uint32_t AnsiCodePage();

}  // namespace vant::sys
