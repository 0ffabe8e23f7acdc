#include "host/pages/engine/values.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "host/pages/engine/duk_text.h"
#include "host/pages/engine/invoke.h"
#include "host/pages/engine/prelude.h"
#include "host/pages/engine/proxy.h"
#include "host/pages/engine/run_state.h"

namespace vant::host::pages::engine {
namespace {

constexpr const char* kArraySlot = DUK_HIDDEN_SYMBOL("vantArray");
constexpr const char* kArrayFinalizer = DUK_HIDDEN_SYMBOL("vantArrayFinalizer");
// Marks a Date made from an automation date (a component's or a field's).
constexpr const char* kAutomationDate = DUK_HIDDEN_SYMBOL("vantAutomationDate");
// Script helpers (see prelude.cpp) that read a Date as wall-clock time.
constexpr const char* kDateFromWall = "__vantDateFromWall";
constexpr const char* kDateToWall = "__vantDateToWall";

// Automation dates count days from 1899-12-30; script time counts
// milliseconds from 1970-01-01.
constexpr double kEpochOffsetDays = 25569.0;
constexpr double kMsPerDay = 86400000.0;

double OleDateToMs(double date) {
  // Before day 0 the fraction still counts forward from midnight.
  const double day = std::trunc(date);
  const double fraction = std::fabs(date - day);
  // Whole milliseconds: a time of day stored as a fraction of a day is
  // rarely exact, and script dates drop any part of a millisecond.
  return std::round((day - kEpochOffsetDays) * kMsPerDay + fraction * kMsPerDay);
}

double MsToOleDate(double ms) {
  const double days = std::floor(ms / kMsPerDay);
  const double fraction = (ms - days * kMsPerDay) / kMsPerDay;
  const double day = days + kEpochOffsetDays;
  return day >= 0 ? day + fraction : day - fraction;
}

void PushDate(duk_context* ctx, double oleDate) {
  EnsurePreludes(ctx);
  duk_get_global_string(ctx, kDateFromWall);
  duk_push_number(ctx, OleDateToMs(oleDate));
  duk_call(ctx, 1);
  duk_push_true(ctx);
  duk_put_prop_string(ctx, -2, kAutomationDate);
}

void PushUnknown(duk_context* ctx, IUnknown* unknown) {
  ComPtr<IDispatch> dispatch;
  if (unknown == nullptr ||
      Failed(unknown->QueryInterface(IID_IDispatch, dispatch.ReceiveVoid()))) {
    duk_push_null(ctx);
    return;
  }
  PushObject(ctx, dispatch.get());
}

Variant NumberToVariant(double number) {
  const bool whole = std::trunc(number) == number;
  if (whole && number >= std::numeric_limits<std::int32_t>::min() &&
      number <= std::numeric_limits<std::int32_t>::max()) {
    return Variant::I4(static_cast<std::int32_t>(number));
  }
  return Variant::R8(number);
}

Variant StringToVariant(duk_context* ctx, duk_idx_t index) {
  duk_size_t length = 0;
  const char* bytes = duk_get_lstring(ctx, index, &length);
  return Variant::String(Bstr(FromEngineText(std::string_view(bytes, length))));
}

Variant DateToVariant(duk_context* ctx, duk_idx_t index) {
  EnsurePreludes(ctx);
  duk_get_global_string(ctx, kDateToWall);
  duk_dup(ctx, index);
  duk_call(ctx, 1);
  const double ms = duk_get_number(ctx, -1);
  duk_pop(ctx);
  if (std::isnan(ms)) return Variant::Null();
  return Variant::FromDate(Date{MsToOleDate(ms)});
}

Variant ObjectToVariant(duk_context* ctx, duk_idx_t index) {
  if (IDispatch* object = DispatchOf(ctx, index)) return Variant::Dispatch(object);
  if (SafeArray* array = ArrayOf(ctx, index)) return Variant::Array(array->Copy());
  if (IsScriptDate(ctx, index)) return DateToVariant(ctx, index);
  if (const std::optional<MemberRef> member = MemberOf(ctx, index)) {
    // A property that takes arguments, passed bare: its value without them.
    DispParams none;
    InvokeAndPush(ctx, member->slot->object.get(), member->id,
                  DISPATCH_METHOD | DISPATCH_PROPERTYGET, none);
    Variant value = ToVariant(ctx, -1);
    duk_pop(ctx);
    return value;
  }
  // Other script objects pass their value as text.
  duk_dup(ctx, index);
  duk_to_string(ctx, -1);
  Variant text = StringToVariant(ctx, -1);
  duk_pop(ctx);
  return text;
}

duk_ret_t FinalizeArray(duk_context* ctx) {
  duk_get_prop_string(ctx, 0, kArraySlot);
  RunState& state = RunState::Of(ctx);
  if (const auto slot = state.SlotFromKey(ctx, -1)) state.arrays.Remove(*slot);
  return 0;
}

void TrimTrailingEmpty(DispParams& params) {
  while (!params.args.empty() && params.args.back().IsEmpty()) params.args.pop_back();
}

// Argument lists kept for the next call: a few (calls nest only while an
// argument is converted), none grown past a handful of arguments.
constexpr std::size_t kSpareLists = 8;
constexpr std::size_t kSpareCapacity = 16;
thread_local std::vector<std::vector<Variant>> t_spareLists;

}  // namespace

void PushVariant(duk_context* ctx, Variant&& value) {
  if ((value.vt() & VT_ARRAY) != 0 && (value.vt() & VT_BYREF) == 0) {
    PushArray(ctx, value.DetachArray());
    return;
  }
  PushVariant(ctx, static_cast<const Variant&>(value));
}

void PushVariant(duk_context* ctx, const Variant& in) {
  const Variant& value = in.Deref();
  if ((value.vt() & VT_ARRAY) != 0) {
    PushArray(ctx, value.array() != nullptr ? value.array()->Copy() : nullptr);
    return;
  }
  switch (value.vt()) {
    case VT_NULL:
      duk_push_null(ctx);
      return;
    case VT_UI1:
      duk_push_uint(ctx, value.ui1());
      return;
    case VT_I2:
      duk_push_int(ctx, value.i2());
      return;
    case VT_I4:
      duk_push_int(ctx, value.i4());
      return;
    case VT_R4:
      duk_push_number(ctx, value.r4());
      return;
    case VT_R8:
      duk_push_number(ctx, value.r8());
      return;
    case VT_BOOL:
      duk_push_boolean(ctx, value.boolVal() != VARIANT_FALSE);
      return;
    case VT_BSTR:
      PushEngineText(ctx, value.bstr().view());
      return;
    case VT_DATE:
      PushDate(ctx, value.date().value);
      return;
    case VT_DISPATCH:
      if (value.dispatch() == nullptr) {
        duk_push_null(ctx);
      } else {
        PushObject(ctx, value.dispatch());
      }
      return;
    case VT_UNKNOWN:
      PushUnknown(ctx, value.unknown());
      return;
    default:
      duk_push_undefined(ctx);
      return;  // EMPTY, missing, errors
  }
}

Variant ToVariant(duk_context* ctx, duk_idx_t index) {
  switch (duk_get_type(ctx, index)) {
    case DUK_TYPE_NULL:
      return Variant::Null();
    case DUK_TYPE_BOOLEAN:
      return Variant::Bool(duk_get_boolean(ctx, index) != 0);
    case DUK_TYPE_NUMBER:
      return NumberToVariant(duk_get_number(ctx, index));
    case DUK_TYPE_STRING:
      return StringToVariant(ctx, index);
    case DUK_TYPE_OBJECT:
      return ObjectToVariant(ctx, index);
    default:
      return Variant();
  }
}

CallParams::CallParams() {
  disposable = true;
  if (!t_spareLists.empty()) {
    args = std::move(t_spareLists.back());
    t_spareLists.pop_back();
  }
}

CallParams::CallParams(CallParams&& other) noexcept {
  disposable = other.disposable;
  args.swap(other.args);
}

CallParams::~CallParams() {
  args.clear();
  if (args.capacity() == 0 || args.capacity() > kSpareCapacity) return;
  if (t_spareLists.size() < kSpareLists) t_spareLists.push_back(std::move(args));
}

CallParams ArgsFromStack(duk_context* ctx, duk_idx_t first) {
  CallParams params;
  const duk_idx_t top = duk_get_top(ctx);
  if (top > first)
    params.args.reserve(static_cast<std::size_t>(top - first));  // on the stack already
  for (duk_idx_t i = first; i < top; ++i) params.args.push_back(ToVariant(ctx, i));
  TrimTrailingEmpty(params);
  return params;
}

CallParams ArgsFromArray(duk_context* ctx, duk_idx_t index) {
  CallParams params;
  if (!duk_is_object(ctx, index)) return params;
  index = duk_require_normalize_index(ctx, index);
  const duk_size_t count = duk_get_length(ctx, index);
  // The length is the script's to choose: reserve no more than a call takes.
  params.args.reserve(std::min<duk_size_t>(count, kMaxParams));
  for (duk_size_t i = 0; i < count; ++i) {
    duk_get_prop_index(ctx, index, static_cast<duk_uarridx_t>(i));
    params.args.push_back(ToVariant(ctx, -1));
    duk_pop(ctx);
  }
  TrimTrailingEmpty(params);
  return params;
}

void PushArray(duk_context* ctx, std::unique_ptr<SafeArray> array) {
  if (!array) {
    duk_push_null(ctx);
    return;
  }
  RunState& state = RunState::Of(ctx);
  const std::uint32_t slot = state.arrays.Add(std::move(array));
  duk_push_object(ctx);
  duk_push_number(ctx, state.SlotKey(slot));
  duk_put_prop_string(ctx, -2, kArraySlot);
  duk_push_global_stash(ctx);
  duk_get_prop_string(ctx, -1, kArrayFinalizer);
  duk_set_finalizer(ctx, -3);
  duk_pop(ctx);
}

SafeArray* ArrayOf(duk_context* ctx, duk_idx_t index) {
  std::unique_ptr<SafeArray>* array = RunState::Stored(ctx, index, kArraySlot, &RunState::arrays);
  return array != nullptr ? array->get() : nullptr;
}

bool IsScriptDate(duk_context* ctx, duk_idx_t index) {
  duk_get_global_string(ctx, "Date");
  const bool date = duk_instanceof(ctx, index, -1) != 0;
  duk_pop(ctx);
  return date;
}

bool IsAutomationDate(duk_context* ctx, duk_idx_t index) {
  if (!duk_is_object(ctx, index)) return false;
  duk_get_prop_string(ctx, index, kAutomationDate);
  const bool marked = duk_get_boolean(ctx, -1) != 0;
  duk_pop(ctx);
  return marked;
}

void RegisterValueSupport(duk_context* ctx) {
  duk_push_global_stash(ctx);
  duk_push_c_function(ctx, &FinalizeArray, 2);
  duk_put_prop_string(ctx, -2, kArrayFinalizer);
  duk_pop(ctx);
}

}  // namespace vant::host::pages::engine
