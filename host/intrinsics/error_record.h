// Failures of the intrinsic objects reach the script as a status plus the
// thread's error record, whose description says what went wrong.
#pragma once

#include <string_view>

#include "platform/automation/automation.h"

namespace vant::host::intrinsics {

// The record's source names the object that failed.
inline constexpr std::u16string_view kRequestSource = u"Request object";
inline constexpr std::u16string_view kResponseSource = u"Response object";
inline constexpr std::u16string_view kServerSource = u"Server object";
inline constexpr std::u16string_view kSessionSource = u"Session object";
inline constexpr std::u16string_view kApplicationSource = u"Application object";

using vant::RaiseError;
using vant::Guarded;

// Fails with "The page has ended." for objects used after their page.
HRESULT PageEnded(std::u16string_view source) noexcept;

}  // namespace vant::host::intrinsics
