// Rewrites the member calls whose meaning the script engine cannot see from
// a property read alone (see host/pages/call_result_helpers.h).
//
// Reading `x.Item` cannot tell whether a call follows: `Request.Form.Item`
// used as a value is the collection's value, `Request.Form.Item("a")` is one
// read with the argument. Likewise `Response.IsClientConnected()` calls a
// property that reads as a plain value. So these calls become one helper
// call that reads the member with its arguments in a single step:
//
//   X.Item(args), X.Charset(args)   ->  __vantCall(X, "Item", args)
//   X.QueryString(args), X.Form(args), X.Cookies(args),
//   X.ServerVariables(args)         ->  the same
//   X.Name()  (a capitalised name)  ->  __vantCall(X, "Name")
//
// The names are matched in any letter case. On script objects the helper is
// an ordinary method call, so a page's own `obj.Init()` behaves as written.
#pragma once

#include <string>
#include <string_view>

namespace vant::host::pages::detail {

// Returns code with those calls rewritten and everything else copied
// unchanged; line breaks are kept one for one. Calls through `new`, and
// calls whose target the rewriter cannot delimit, are left as written.
std::string RewriteMemberCalls(std::string_view code);

}  // namespace vant::host::pages::detail
