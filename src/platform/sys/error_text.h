// The last operating-system error and its text.
#pragma once

#include <string>

namespace vant::sys {

// The calling thread's last operating-system error (errno). Read it right
// after the failing call: most library calls may change it.
int LastError();

// The system's text for `code`, ending with CR LF as system message texts
// do, e.g. u"No such file or directory\r\n". An unknown code gives the C
// library's "Unknown error N" text. Never fails.
std::u16string SystemErrorText(int code);

}  // namespace vant::sys
