// The cookie that carries a progress id from the form page to the upload
// request and the monitor window: "VANTUpload", key "ProgressID", the id in
// decimal digits.
#pragma once

#include <cstdint>
#include <string_view>

#include "frame/page_context.h"

namespace vant::progress {

inline constexpr char16_t kMonitorCookieName[] = u"VANTUpload";
inline constexpr char16_t kMonitorCookieKey[] = u"ProgressID";
// The id read when the cookie, or its key, cannot be read.
inline constexpr std::int32_t kNoProgressId = -1;

// Reads text as a decimal integer the way the C library's wide-string-to-long
// conversion does: leading white space skipped, an optional sign, then
// digits up to the first non-digit; no digits gives 0; values past the
// 32-bit range give its nearest end.
std::int32_t ParseProgressIdText(std::u16string_view text);

// The id the request's cookie names, read by ParseProgressIdText;
// kNoProgressId when the cookie collection, the cookie or the key cannot be
// read or made a string, and when the browser sent no such cookie or key
// (the host's empty value). A key sent with an empty value reads as 0.
// The upload engine and the monitor page both read
// the cookie through this one function.
std::int32_t ReadMonitorCookie(const frame::PageContext& context);

// Sets the response cookie to `id` in decimal. Returns the host's status.
HRESULT WriteMonitorCookie(const frame::PageContext& context, std::int32_t id);

}  // namespace vant::progress
