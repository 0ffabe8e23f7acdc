// The boundary of every interface member: no exception leaves it. A member
// with a name in the unexpected-failure table reports 0x40020066 with its
// class and member name; the others (plain getters) fail silently, as a
// result string that cannot be copied does.
#pragma once

#include <utility>

#include "frame/error_report.h"

namespace vant::form {

template <class Body>
HRESULT GuardMember(const char16_t* className, const char16_t* memberName, Body&& body) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    try {
      return frame::UnexpectedFailure(className, memberName);
    } catch (...) {
      return E_FAIL;
    }
  }
}

template <class Body>
HRESULT GuardGetter(Body&& body) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    return E_FAIL;
  }
}

}  // namespace vant::form
