// The host's ANSI code page: the code page that number 0 stands for.
#pragma once

#include <cstdint>

namespace vant::sys {

// The ANSI code page used when none is set anywhere.
inline constexpr uint32_t kDefaultAnsiCodePage = 65001;

// Makes `codePage` the process's ANSI code page (a change of the host's
// settings, platform/sys/settings.h). Call at start-up, before other threads
// run. Returns false, changing nothing, when `codePage` is 0 or not a
// supported code page.
bool SetAnsiCodePage(uint32_t codePage);

// The ANSI code page of the process settings; never 0.
uint32_t AnsiCodePage();

}  // namespace vant::sys
