// Text at the edges of the intrinsic objects: request bytes in the page's
// code page, %-escapes, and script values turned into text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/automation/automation.h"

namespace vant::host::intrinsics {

// UTF-8 (header values, paths) decoded to UTF-16, and UTF-16 encoded back.
std::u16string DecodeUtf8(std::string_view utf8);
std::string Narrow(std::u16string_view text);

// Bytes in `codePage` to UTF-16; a code page the system cannot convert
// falls back to UTF-8 so text is never lost altogether.
std::u16string DecodeText(std::uint32_t codePage, std::string_view bytes);
// UTF-16 to `codePage` bytes, with the same fallback.
std::string EncodeText(std::uint32_t codePage, std::u16string_view text);

// Undoes %XX escapes (a malformed escape stays as written) and, when
// `plusIsSpace`, turns '+' into a space. Works on bytes.
std::string PercentDecode(std::string_view text, bool plusIsSpace);

// A script value as text: EMPTY and NULL give "", objects their default
// value, numbers and dates their usual text. Fails as VariantToBstr does.
HRESULT VariantToText(const Variant& value, std::u16string* out);

// True when `text` may stand in a response header or status line: no
// control character but tab (no CR, LF, NUL, VT, FF or DEL), the rule of
// http::IsFieldText.
bool IsHeaderText(std::u16string_view text);

// When `key` is a number (not text), its value as a 1-based position.
std::optional<std::int32_t> PositionOf(const Variant& key);

}  // namespace vant::host::intrinsics
