#include "host/pages/call_result_helpers.h"

namespace vant::host::pages {

// Postfix forms return the old value as a number, as `x++` does; every other
// form returns the value written.
const std::string_view kCallResultPrelude =
    R"js(function __vantUpdate(target, member, args, op, value) {
  var old = __vantGet(target, member, args), result;
  switch (op) {
    case "x++": __vantPut(target, member, args, +old + 1); return +old;
    case "x--": __vantPut(target, member, args, +old - 1); return +old;
    case "++x": result = +old + 1; break;
    case "--x": result = +old - 1; break;
    case "+=": result = old + value; break;
    case "-=": result = old - value; break;
    case "*=": result = old * value; break;
    case "/=": result = old / value; break;
    case "%=": result = old % value; break;
    case "**=": result = Math.pow(old, value); break;
    case "<<=": result = old << value; break;
    case ">>=": result = old >> value; break;
    case ">>>=": result = old >>> value; break;
    case "&=": result = old & value; break;
    case "|=": result = old | value; break;
    case "^=": result = old ^ value; break;
    default: throw new TypeError("unknown update operator " + op);
  }
  __vantPut(target, member, args, result);
  return result;
}
)js";

}  // namespace vant::host::pages
