#include "host/pages/engine/prelude.h"

#include <cstring>
#include <mutex>

#include "host/pages/call_result_helpers.h"
#include "host/pages/engine/jscript_builtins.h"
#include "host/pages/engine/run_state.h"

namespace vant::host::pages::engine {

// Built on the natives of natives.cpp. Enumerator and VBArray behave as
// page authors know them: `for (var e = new Enumerator(c); !e.atEnd();
// e.moveNext()) e.item()`, `new VBArray(bytes).toArray()`.
const std::string_view kEnginePrelude = R"JS((function (g) {
  var enumOpen = g.__vantEnumOpen, enumNext = g.__vantEnumNext, enumReset = g.__vantEnumReset;
  var arrayBounds = g.__vantArrayBounds, arrayItem = g.__vantArrayItem, arrayToJs = g.__vantArrayToJs;
  var arrayDimensions = g.__vantArrayDimensions;

  function Enumerator(collection) {
    if (!(this instanceof Enumerator)) return new Enumerator(collection);
    this._items = collection === undefined ? null : enumOpen(collection);
    this.moveFirst();
  }
  Enumerator.prototype.atEnd = function () { return this._atEnd; };
  Enumerator.prototype.item = function () { return this._atEnd ? undefined : this._item; };
  Enumerator.prototype.moveNext = function () {
    var next = this._items === null ? [] : enumNext(this._items);
    this._atEnd = next.length === 0;
    this._item = next[0];
  };
  Enumerator.prototype.moveFirst = function () {
    if (this._items !== null) enumReset(this._items);
    this.moveNext();
  };
  g.Enumerator = Enumerator;

  function VBArray(safeArray) {
    if (!(this instanceof VBArray)) return new VBArray(safeArray);
    arrayBounds(safeArray);
    this._array = safeArray;
  }
  VBArray.prototype.toArray = function () { return arrayToJs(this._array); };
  // toArray() lists the elements with the first index varying fastest.
  VBArray.prototype.getItem = function (i, j) { return arrayItem(this._array, i, j); };
  VBArray.prototype.lbound = function (d) { return arrayBounds(this._array, d)[0]; };
  VBArray.prototype.ubound = function (d) { return arrayBounds(this._array, d)[1]; };
  VBArray.prototype.dimensions = function () { return arrayDimensions(this._array); };
  g.VBArray = VBArray;

  Date.prototype.getVarDate = function () { return new Date(this.getTime()); };

  // Automation dates carry no time zone: they are read and written as
  // local wall-clock time. ms counts that wall time as if it were UTC.
  g.__vantDateFromWall = function (ms) {
    var u = new Date(ms), d = new Date(0);
    d.setFullYear(u.getUTCFullYear(), u.getUTCMonth(), u.getUTCDate());
    d.setHours(u.getUTCHours(), u.getUTCMinutes(), u.getUTCSeconds(), u.getUTCMilliseconds());
    return d;
  };
  g.__vantDateToWall = function (d) {
    var u = new Date(0);
    u.setUTCFullYear(d.getFullYear(), d.getMonth(), d.getDate());
    u.setUTCHours(d.getHours(), d.getMinutes(), d.getSeconds(), d.getMilliseconds());
    return u.getTime();
  };
})(this);
)JS";

}  // namespace vant::host::pages::engine

namespace vant::host::pages::engine {
namespace {

constexpr const char* kPreludeFileName = "prelude";

// What the preludes define, and what builds code the text does not show.
constexpr std::string_view kPreludeMarkers[] = {"Enumerator",   "VBArray", "getVarDate",
                                                "__vantUpdate", "eval",    "Function"};

// A prelude's bytecode, compiled by the first heap that needs it.
struct PreludeCode {
  const std::string_view* source;  // another file's constant: read when first run
  std::once_flag compiled;
  std::string bytecode;
};

PreludeCode gCallResultPrelude{&kCallResultPrelude, {}, {}};
PreludeCode gEnginePrelude{&kEnginePrelude, {}, {}};
PreludeCode gJScriptPrelude{&kJScriptPrelude, {}, {}};

// Runs a prelude from its cached bytecode: compiling it on every request
// cost far more than running the page itself.
void RunPrelude(duk_context* ctx, PreludeCode& prelude) {
  std::call_once(prelude.compiled, [&] {
    duk_push_lstring(ctx, prelude.source->data(), prelude.source->size());
    duk_push_string(ctx, kPreludeFileName);
    duk_compile(ctx, 0);
    duk_dump_function(ctx);
    duk_size_t size = 0;
    const void* bytes = duk_get_buffer(ctx, -1, &size);
    prelude.bytecode.assign(static_cast<const char*>(bytes), size);
    duk_pop(ctx);
  });
  PushBytecode(ctx, prelude.bytecode);
  duk_call(ctx, 0);
  duk_pop(ctx);
}

}  // namespace

bool ScriptMayNeedPreludes(std::string_view script) {
  for (const std::string_view marker : kPreludeMarkers) {
    if (script.find(marker) != std::string_view::npos) return true;
  }
  return false;
}

bool ScriptNeedsJScriptPrelude(std::string_view script) {
  for (const std::string_view marker : kJScriptPreludeMarkers) {
    if (script.find(marker) != std::string_view::npos) return true;
  }
  // Code built at run time may name them.
  return script.find("eval") != std::string_view::npos ||
         script.find("Function") != std::string_view::npos;
}

void EnsurePreludes(duk_context* ctx) {
  RunState& state = RunState::Of(ctx);
  if (state.preludesLoaded) return;
  state.preludesLoaded = true;
  RunPrelude(ctx, gCallResultPrelude);
  RunPrelude(ctx, gEnginePrelude);
}

void RunJScriptPrelude(duk_context* ctx) { RunPrelude(ctx, gJScriptPrelude); }

void PushBytecode(duk_context* ctx, const std::string& bytecode) {
  void* buffer = duk_push_fixed_buffer(ctx, bytecode.size());
  std::memcpy(buffer, bytecode.data(), bytecode.size());
  duk_load_function(ctx);
}

}  // namespace vant::host::pages::engine
