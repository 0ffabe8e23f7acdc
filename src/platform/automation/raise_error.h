// Failing an interface member the automation way: a status plus the
// thread's error record, whose source names the object and whose
// description says what went wrong.
#pragma once

#include <new>
#include <string_view>

#include "platform/automation/hresult.h"

namespace vant {

// Sets the thread's error record and returns `hr`. Never throws; when the
// record cannot be made the status still goes out without one.
HRESULT RaiseError(HRESULT hr, std::u16string_view source,
                   std::u16string_view description) noexcept;

// Runs `body` (returning HRESULT) and turns an escaping exception into
// E_OUTOFMEMORY or E_UNEXPECTED with a record, so no exception leaves an
// interface member.
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

}  // namespace vant
