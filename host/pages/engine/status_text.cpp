#include "host/pages/engine/status_text.h"

#include <cstdint>
#include <iterator>

namespace vant::host::pages::engine {
namespace {

struct StatusEntry {
  HRESULT status;
  std::u16string_view text;
};

constexpr StatusEntry kStatusTexts[] = {
    {E_FAIL, u"Unspecified error"},
    {E_NOTIMPL, u"Not implemented"},
    {E_NOINTERFACE, u"No such interface supported"},
    {E_POINTER, u"Invalid pointer"},
    {E_ABORT, u"Operation aborted"},
    {E_UNEXPECTED, u"Catastrophic failure"},
    {E_OUTOFMEMORY, u"Out of memory"},
    {E_INVALIDARG, u"Invalid procedure call or argument"},
    {E_ACCESSDENIED, u"Permission denied"},
    {DISP_E_MEMBERNOTFOUND, u"Object doesn't support this property or method"},
    {DISP_E_UNKNOWNNAME, u"Object doesn't support this property or method"},
    {DISP_E_TYPEMISMATCH, u"Type mismatch"},
    {DISP_E_OVERFLOW, u"Overflow"},
    {DISP_E_BADINDEX, u"Subscript out of range"},
    {DISP_E_BADPARAMCOUNT, u"Wrong number of arguments or invalid property assignment"},
    {DISP_E_PARAMNOTOPTIONAL, u"Argument not optional"},
    {DISP_E_EXCEPTION, u"Exception occurred"},
};

struct StatusNumber {
  HRESULT status;
  std::uint32_t number;
};

constexpr StatusNumber kScriptNumbers[] = {
    {DISP_E_MEMBERNOTFOUND, 0x800A01B6},    // Object doesn't support this property or method
    {DISP_E_UNKNOWNNAME, 0x800A01B6},       // the same
    {DISP_E_TYPEMISMATCH, 0x800A000D},      // Type mismatch
    {DISP_E_OVERFLOW, 0x800A0006},          // Overflow
    {DISP_E_BADINDEX, 0x800A0009},          // Subscript out of range
    {DISP_E_BADPARAMCOUNT, 0x800A01C2},     // Wrong number of arguments
    {DISP_E_PARAMNOTOPTIONAL, 0x800A01C1},  // Argument not optional
};

}  // namespace

HRESULT ScriptStatus(HRESULT status) {
  for (const StatusNumber& entry : kScriptNumbers) {
    if (entry.status == status) return static_cast<HRESULT>(entry.number);
  }
  return status;
}

std::u16string_view StatusText(HRESULT status) {
  for (const StatusEntry& entry : kStatusTexts) {
    if (entry.status == status) return entry.text;
  }
  return u"Unknown runtime error";
}

}  // namespace vant::host::pages::engine
