// The boundary of every interface member: no exception leaves it. What an
// escaping exception becomes is the caller's choice: the unexpected-failure
// report 0x40020066 with the class and member name (GuardMember), a silent
// E_FAIL for plain getters, as a result string that cannot be copied gives
// (GuardGetter), or a report of the caller's own (Guard).
//
// A member of an interface is named in reports as its table entry names it
// (MemberName): the table's name, after "get_" or "put_" for a property, so a
// renamed entry renames its reports and no copy of the name can drift.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>
#include <utility>

#include "frame/error_report.h"
#include "platform/automation/dispatch.h"

namespace vant::frame {

// The report name of a member table entry, written into a fixed buffer so
// that naming a member never allocates.
struct MemberReportName {
  std::array<char16_t, 64> text{};
  std::size_t size = 0;
  std::u16string_view view() const { return {text.data(), size}; }
};

// The report name of the entry of `info` bound through `invoke`; empty when
// no entry is (a unit test names every member a report uses).
MemberReportName ReportNameOf(const InterfaceInfo& info, Invoker invoke);

namespace detail {
template <class F>
struct InterfaceOf;
template <class I, class... Args>
struct InterfaceOf<HRESULT (I::*)(Args...)> {
  using type = I;
};
}  // namespace detail

// The name reports give interface member `Fn` (&IFormElement::SaveAs gives
// "SaveAs", &IFileUpload::put_DefaultPath gives "put_DefaultPath"), found
// once in its interface's member table.
template <auto Fn>
std::u16string_view MemberName() noexcept {
  using I = typename detail::InterfaceOf<decltype(Fn)>::type;
  static const MemberReportName name =
      ReportNameOf(I::TypeInfo(), &vant::detail::Binder<Fn>::Invoke);
  return name.view();
}

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

// The same for interface member `Fn`, named as its table entry names it.
template <auto Fn, class Body>
HRESULT GuardMember(std::u16string_view className, Body&& body) noexcept {
  return GuardMember(className, MemberName<Fn>(), std::forward<Body>(body));
}

template <class Body>
HRESULT GuardGetter(Body&& body) noexcept {
  return Guard(std::forward<Body>(body), [] { return E_FAIL; });
}

}  // namespace vant::frame
