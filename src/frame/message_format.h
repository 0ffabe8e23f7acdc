// Formats a message text with positional inserts, the way the system's
// message formatter does for message tables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vant::frame {

// The longest text a report can carry: its buffer holds 1024 UTF-16 units
// including the terminator.
inline constexpr size_t kMaxMessageUnits = 1023;

// One positional insert (%1, %2, …): a UTF-16 string or a signed 32-bit
// number. Constructible implicitly so call sites read like the message
// table: Format(id, lang, {path, int32_t{len}}).
struct MessageInsert {
  MessageInsert(std::u16string text) : value(std::move(text)) {}            // NOLINT
  MessageInsert(std::u16string_view text) : value(std::u16string(text)) {}  // NOLINT
  MessageInsert(const char16_t* text)                                       // NOLINT
      : value(std::u16string(text != nullptr ? text : u"")) {}
  MessageInsert(int32_t number) : value(number) {}  // NOLINT

  bool IsNumber() const { return std::holds_alternative<int32_t>(value); }

  std::variant<std::u16string, int32_t> value;
};

// Replaces the escapes and insert references of text:
//   %1 … %99      the insert as a string (a number insert in decimal)
//   %k!fmt!       the insert through a printf conversion: d i u o x X c C
//                 s S with optional flags, width, precision and length
//                 modifiers (!d!, !5d!, !08X!, !ld!, !-20s! …); numbers are
//                 32-bit as on the system the texts were written for
//   %n            a CR LF line break; %r a CR; %t a tab
//   %%            a percent sign; %0 ends the text; %c keeps c otherwise
// Returns nullopt when formatting fails: a reference to an insert that was
// not given, an unknown or unterminated !fmt!, or a '%' ending the text.
// The result is not cut to kMaxMessageUnits; the caller does that.
std::optional<std::u16string> FormatMessageText(std::u16string_view text,
                                                const std::vector<MessageInsert>& inserts);

}  // namespace vant::frame
