#include "platform/sys/ansi_code_page.h"

#include "platform/sys/settings.h"

namespace vant::sys {

bool SetAnsiCodePage(uint32_t codePage) {
  Settings changed = CurrentSettings();
  changed.ansiCodePage = codePage;
  return InstallSettings(changed);
}

uint32_t AnsiCodePage() { return CurrentSettings().ansiCodePage; }

}  // namespace vant::sys
