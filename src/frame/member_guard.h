// The boundary of every interface member: no exception leaves it. What an
// escaping exception becomes is the caller's choice: the unexpected-failure
// report 0x40020066 with the class and member name (GuardMember), a silent
// E_FAIL for plain getters, as a result string that cannot be copied gives
// (GuardGetter), or a report of the caller's own (Guard).
#pragma once

#include <string_view>
#include <utility>

#include "frame/error_report.h"

namespace vant::frame {

// Runs `body`; an exception becomes the status of `onFailure()`, E_FAIL
// when that throws as well.
template <class Body, class OnFailure>
HRESULT Guard(Body&& body, OnFailure&& onFailure) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    try {
      return std::forward<OnFailure>(onFailure)();
    } catch (...) {
      return E_FAIL;
    }
  }
}

template <class Body>
HRESULT GuardMember(std::u16string_view className, std::u16string_view memberName,
                    Body&& body) noexcept {
  return Guard(std::forward<Body>(body), [&] { return UnexpectedFailure(className, memberName); });
}

template <class Body>
HRESULT GuardGetter(Body&& body) noexcept {
  return Guard(std::forward<Body>(body), [] { return E_FAIL; });
}

}  // namespace vant::frame
