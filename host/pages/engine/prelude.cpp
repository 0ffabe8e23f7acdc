#include "host/pages/engine/prelude.h"

namespace vant::host::pages::engine {

// Built on the natives of natives.cpp. Enumerator and VBArray behave as
// page authors know them: `for (var e = new Enumerator(c); !e.atEnd();
// e.moveNext()) e.item()`, `new VBArray(bytes).toArray()`.
const std::string_view kEnginePrelude = R"JS((function (g) {
  var enumOpen = g.__vantEnumOpen, enumNext = g.__vantEnumNext, enumReset = g.__vantEnumReset;
  var arrayBounds = g.__vantArrayBounds, arrayItem = g.__vantArrayItem, arrayToJs = g.__vantArrayToJs;
  var apply = Function.prototype.apply;

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

  function checkDimension(d) {
    if (d !== undefined && d !== 1) throw new RangeError("Subscript out of range");
  }
  function VBArray(safeArray) {
    if (!(this instanceof VBArray)) return new VBArray(safeArray);
    arrayBounds(safeArray);
    this._array = safeArray;
  }
  VBArray.prototype.toArray = function () { return arrayToJs(this._array); };
  VBArray.prototype.getItem = function (i) { return arrayItem(this._array, i); };
  VBArray.prototype.lbound = function (d) { checkDimension(d); return arrayBounds(this._array)[0]; };
  VBArray.prototype.ubound = function (d) { checkDimension(d); return arrayBounds(this._array)[1]; };
  VBArray.prototype.dimensions = function () { return 1; };
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

  // target.member(args), or target(args) when member is null.
  g.__vantGet = function (target, member, args) {
    var f = member === null ? target : target[member];
    return apply.call(f, target, args);
  };
})(this);
)JS";

}  // namespace vant::host::pages::engine
