// Failures of the intrinsic objects reach the script as a status plus the
// thread's error record, whose description says what went wrong.
#pragma once

#include <new>
#include <string_view>

#include "platform/automation/automation.h"

namespace vant::host::intrinsics {

// The record's source names the object that failed.
inline constexpr std::u16string_view kRequestSource = u"Request object";
inline constexpr std::u16string_view kResponseSource = u"Response object";
inline constexpr std::u16string_view kServerSource = u"Server object";
inline constexpr std::u16string_view kSessionSource = u"Session object";
inline constexpr std::u16string_view kApplicationSource = u"Application object";

// Sets the thread's error record and returns `hr`. Never throws.
HRESULT RaiseError(HRESULT hr, std::u16string_view source, std::u16string_view description) noexcept;

// Fails with "The page has ended." for objects used after their page.
HRESULT PageEnded(std::u16string_view source) noexcept;

// Runs `body` and turns an escaping exception into E_OUTOFMEMORY or
// E_UNEXPECTED with a record, so no exception leaves an interface member.
template <class Body>
HRESULT Guarded(std::u16string_view source, Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return RaiseError(E_OUTOFMEMORY, source, u"Out of memory.");
  } catch (...) {
    return RaiseError(E_UNEXPECTED, source, u"Unexpected failure.");
  }
}

}  // namespace vant::host::intrinsics
