// Text between the automation runtime (UTF-16) and the script engine, whose
// strings are CESU-8: each UTF-16 code unit, surrogates included, is one
// 1-3 byte sequence, so any UTF-16 string (even with lone surrogates)
// round-trips exactly.
#pragma once

#include <string>
#include <string_view>

#include "duktape.h"

namespace vant::host::pages::engine {

// UTF-16 -> CESU-8, for duk_push_lstring.
std::string ToEngineText(std::u16string_view text);
// The same, pushed onto ctx's stack as a string.
void PushEngineText(duk_context* ctx, std::u16string_view text);

// Engine string bytes -> UTF-16. Also reads 4-byte UTF-8 sequences (which
// page source literals may hold) as surrogate pairs; malformed bytes
// become U+FFFD.
std::u16string FromEngineText(std::string_view bytes);

// Engine string bytes -> well-formed UTF-8 (pairs joined, lone surrogates
// replaced), for text leaving the host.
std::string EngineTextToUtf8(std::string_view bytes);

}  // namespace vant::host::pages::engine
