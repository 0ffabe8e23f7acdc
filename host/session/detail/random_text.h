// Random cookie values and session keys, drawn straight from the kernel's
// random source (never from a seeded generator whose state a client could
// solve from the cookies it sees). Both throw std::runtime_error when the
// kernel source fails.
#pragma once

#include <cstddef>
#include <string>

namespace vant::host::session::detail {

// 28 letters of 26 carry 131 bits, so a cookie value cannot be guessed.
inline constexpr std::size_t kCookieValueLetters = 28;

// `count` upper-case letters, each equally likely.
std::string RandomLetters(std::size_t count);
// 16 random bytes as 32 hex digits.
std::string RandomKey();

}  // namespace vant::host::session::detail
