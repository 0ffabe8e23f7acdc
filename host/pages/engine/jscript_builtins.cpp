#include "host/pages/engine/jscript_builtins.h"

#include <string>

#include "host/pages/engine/duk_text.h"
#include "host/pages/engine/invoke.h"
#include "host/pages/engine/proxy.h"
#include "host/pages/engine/run_state.h"

namespace vant::host::pages::engine {

// RegExp statics follow JScript: every successful match through exec, test,
// match, replace or search sets them, also for global expressions (then
// from the last match); a replacement callback sees those of the match it
// is called for.
const std::string_view kJScriptPrelude = R"JS((function (g) {
  g.ScriptEngine = function () { return "JScript"; };
  g.ScriptEngineMajorVersion = function () { return 5; };
  g.ScriptEngineMinorVersion = function () { return 8; };
  g.ScriptEngineBuildVersion = function () { return 17514; };

  // Two digits only for the years 1900-1999, as JScript does.
  Date.prototype.getYear = function () {
    var y = this.getFullYear();
    return y >= 1900 && y <= 1999 ? y - 1900 : y;
  };

  var R = RegExp, proto = R.prototype, exec = proto.exec, strings = String.prototype;
  var match = strings.match, replace = strings.replace, search = strings.search;
  function record(m, input) {
    for (var i = 1; i <= 9; i++) R["$" + i] = m[i] === undefined ? "" : m[i];
    var last = m.length > 1 ? m[m.length - 1] : "";
    R.input = R.$_ = input;
    R.index = m.index;
    R.lastIndex = m.index + m[0].length;
    R.lastMatch = R["$&"] = m[0];
    R.lastParen = R["$+"] = last === undefined ? "" : last;
    R.leftContext = R["$`"] = input.slice(0, m.index);
    R.rightContext = R["$'"] = input.slice(R.lastIndex);
  }
  record({length: 1, 0: "", index: -1}, "");
  R.index = R.lastIndex = -1;
  // What the statics show after re ran over s: its first match, or the
  // last one of a global re.
  function lastMatchOf(re, s) {
    if (!re.global) return exec.call(re, s);
    var saved = re.lastIndex, last = null, m;
    re.lastIndex = 0;
    while ((m = exec.call(re, s)) !== null) {
      last = m;
      if (m[0] === "") re.lastIndex++;
    }
    re.lastIndex = saved;
    return last;
  }
  proto.exec = function (s) {
    var m = exec.call(this, s);
    if (m !== null) record(m, m.input);
    return m;
  };
  proto.test = function (s) { return this.exec(s) !== null; };
  strings.match = function (re) {
    var r = match.apply(this, arguments);
    if (r !== null) {
      var s = String(this);
      record(re instanceof R && re.global ? lastMatchOf(re, s) : r, s);
    }
    return r;
  };
  strings.replace = function (pattern, replacement) {
    if (pattern instanceof R && typeof replacement === "function") {
      // The callback sees the statics of the match it is called for.
      var s = String(this), callback = replacement;
      return replace.call(s, pattern, function () {
        var m = Array.prototype.slice.call(arguments, 0, arguments.length - 2);
        m.index = arguments[arguments.length - 2];
        record(m, s);
        return callback.apply(this, arguments);
      });
    }
    var r = replace.apply(this, arguments);
    if (pattern instanceof R) {
      var s = String(this), m = lastMatchOf(pattern, s);
      if (m !== null) record(m, s);
    }
    return r;
  };
  strings.search = function (re) {
    var r = search.apply(this, arguments);
    if (r >= 0 && re instanceof R) {
      var s = String(this), saved = re.lastIndex;
      re.lastIndex = 0;
      var m = exec.call(re, s);
      re.lastIndex = saved;
      if (m !== null) record(m, s);
    }
    return r;
  };
})(this);
)JS";

namespace {

// What JScript raises when `new ActiveXObject` cannot make the object.
constexpr auto kCannotCreate = static_cast<HRESULT>(0x800A01AD);

void PutText(duk_context* ctx, const char* name, const std::string& text) {
  duk_push_lstring(ctx, text.data(), text.size());
  duk_put_prop_string(ctx, -2, name);
}

// Error([number[, description]]) or Error(description), called with or
// without `new`. A number alone leaves the description empty; message is
// the description, as in JScript.
duk_ret_t ConstructError(duk_context* ctx) {
  const duk_idx_t count = duk_get_top(ctx);
  const bool numbered = count >= 2 || (count == 1 && duk_is_number(ctx, 0));
  const double number = numbered ? duk_to_number(ctx, 0) : 0;
  const duk_idx_t textAt = numbered ? 1 : 0;
  std::string text;
  if (textAt < count && !duk_is_undefined(ctx, textAt)) {
    duk_size_t length = 0;
    const char* bytes = duk_to_lstring(ctx, textAt, &length);
    text.assign(bytes, length);
  }
  (void)duk_push_error_object_raw(ctx, DUK_ERR_ERROR, nullptr, 0, "");
  duk_push_number(ctx, number);
  duk_put_prop_string(ctx, -2, kErrorNumber);
  PutText(ctx, "description", text);
  PutText(ctx, "message", text);
  return 1;
}

// new ActiveXObject(progId)
duk_ret_t CreateActiveXObject(duk_context* ctx) {
  ThrowIfStopped(ctx);
  const RunState& state = RunState::Of(ctx);
  duk_size_t length = 0;
  const char* bytes = duk_to_lstring(ctx, 0, &length);
  ComPtr<IDispatch> object;
  if (!state.context.createObject ||
      Failed(
          state.context.createObject(FromEngineText(std::string_view(bytes, length)), &object)) ||
      !object) {
    ThrowStatus(ctx, kCannotCreate, u"", u"Automation server can't create object");
  }
  PushObject(ctx, object.get());
  return 1;
}

}  // namespace

void RegisterJScriptBuiltins(duk_context* ctx) {
  // The engine's Error.prototype stays, so `e instanceof Error` holds for
  // every error, the engine's TypeError and the like included.
  duk_get_global_string(ctx, "Error");
  duk_get_prop_string(ctx, -1, "prototype");
  duk_push_c_function(ctx, &ConstructError, DUK_VARARGS);
  duk_dup(ctx, -2);
  duk_put_prop_string(ctx, -2, "prototype");
  duk_dup(ctx, -1);
  duk_put_prop_string(ctx, -3, "constructor");
  duk_put_global_string(ctx, "Error");
  duk_pop_2(ctx);
  duk_push_c_function(ctx, &CreateActiveXObject, 1);
  duk_put_global_string(ctx, "ActiveXObject");
}

}  // namespace vant::host::pages::engine
