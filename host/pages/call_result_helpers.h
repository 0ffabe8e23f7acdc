// The runtime contract behind assignments to a call result.
//
// Page script assigns to what a call returns (`Session("n") = 1`,
// `Response.Cookies("a")("b") = v`, `++Application("hits")`), which the script
// engine rejects as an invalid assignment target. The translator rewrites
// each such assignment into a call of one of these helpers:
//
//   X.name(args) = v      ->  __vantPut(X, "name", [args], v)
//   X[key](args) = v      ->  __vantPut(X, key, [args], v)
//   F(args) = v           ->  __vantPut(F, null, [args], v)     (default member)
//   F(args) op= v         ->  __vantUpdate(F, null, [args], "op=", v)
//   ++F(args), F(args)--  ->  __vantUpdate(F, null, [args], "++x") / "x--"
//
// The script engine defines __vantGet(target, member, args) (read the member,
// or the default member when member is null, with the arguments) and
// __vantPut(target, member, args, value) (write it; returns value).
// kCallResultPrelude defines __vantUpdate on top of those two: it reads once,
// applies the operator with ordinary script semantics, writes once, and
// returns what the original expression would have produced.
#pragma once

#include <string_view>

namespace vant::host::pages {

inline constexpr std::string_view kPutHelper = "__vantPut";
inline constexpr std::string_view kGetHelper = "__vantGet";
// __vantCall(target, member, arg...): __vantGet with the arguments passed as
// its own rather than in an array (detail/member_call_rewriter.h).
inline constexpr std::string_view kCallHelper = "__vantCall";
inline constexpr std::string_view kUpdateHelper = "__vantUpdate";

// Script that defines __vantUpdate; run it in every heap before a page.
extern const std::string_view kCallResultPrelude;

}  // namespace vant::host::pages
