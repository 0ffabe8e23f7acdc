// `<!--METADATA TYPE="typelib" ... -->`: a page names a type library and
// its constants become script globals. The host knows one library, the
// database access objects', named by its UUID (any version of the family)
// or by its file name.
#pragma once

#include <string_view>

namespace vant::host::pages::detail {

// True when the inside of a METADATA comment (the text between `<!--` and
// `-->`) has TYPE="typelib" and names the database access library.
bool NamesAdoTypeLibrary(std::string_view body);

// One `var` statement on a single line declaring every constant of that
// library (adOpenStatic, adLockOptimistic, adCmdText, ...), so putting it in
// front of a script's first line keeps every line where it was.
std::string_view AdoConstantDeclarations();

}  // namespace vant::host::pages::detail
