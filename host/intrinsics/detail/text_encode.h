// Server.HTMLEncode, Server.URLEncode and Server.URLPathEncode.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vant::host::intrinsics {

// < > & " become &lt; &gt; &amp; &quot;. Characters from U+0080 up become
// &#N; when the response code page has one byte per character (in UTF-8 and
// the double-byte code pages they stay as they are).
std::u16string HtmlEncode(std::u16string_view text, std::uint32_t codePage);

// Query-string encoding: letters and digits stay, a space becomes '+',
// every other byte of the text in `codePage` becomes %XX (upper case).
std::u16string UrlEncode(std::u16string_view text, std::uint32_t codePage);

// Path encoding: keeps everything a URL path may hold ('/', '%', '?', ':' …)
// and %-escapes spaces, control characters, the characters never allowed in
// a URL (" < > \ ^ ` { | }) and the bytes of non-ASCII characters.
std::u16string UrlPathEncode(std::u16string_view text, std::uint32_t codePage);

}  // namespace vant::host::intrinsics
