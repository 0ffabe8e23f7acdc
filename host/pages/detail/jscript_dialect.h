// Page script written for classic JScript that an ES5 engine rejects,
// rewritten into the ES5 it means before the script is compiled.
//
// Conditional compilation: once `@cc_on` (or an `@if` or `@set`) appears,
// in code or at the start of a `/*@ … @*/` or `//@` comment, the text of
// such comments is code; `@if (expr) … @elif (expr) … @else … @end` keep
// only the branch that holds, `@set @name = expr` defines a variable, and
// `@name` in code is replaced by its value. The predefined variables are
// those of JScript 5.8 on 32-bit Windows (`@_jscript_version` is 5.8,
// `@_win32` true); an unknown one is NaN.
//
// `function a.b.c(args) {…}` declares a function and assigns it to a.b.c.
// The declaration becomes a hoisted function of a generated name with the
// assignment in front of it; for a built-in root (`function
// String.prototype.trim()`) at the top level of the page, the assignment
// moves to the script's start, so the method is there before any page code
// runs, as in JScript.
//
// Both keep every line break where it was, so script lines still map to
// page lines.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace vant::host::pages::detail {

struct DialectError {
  std::size_t offset = 0;  // into the script
  std::string message;
};

// Applies conditional compilation. Fails for an `@if` without `@end`, an
// `@elif`, `@else` or `@end` without `@if`, and an expression it cannot
// read.
std::optional<DialectError> ApplyConditionalCompilation(std::string& script);

// Rewrites `function a.b()` declarations. Fails, naming the construct, for
// one that is not a statement (`x = function a.b() {}`).
std::optional<DialectError> RewriteDottedFunctions(std::string& script);

}  // namespace vant::host::pages::detail
