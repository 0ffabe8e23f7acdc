#include "host/ado/ado_objects.h"

namespace vant::host::ado {
namespace {

constexpr std::u16string_view kConnectionProgId = u"ADODB.Connection";
constexpr std::u16string_view kRecordsetProgId = u"ADODB.Recordset";
constexpr std::u16string_view kCommandProgId = u"ADODB.Command";
constexpr std::u16string_view kStreamProgId = u"ADODB.Stream";

// "ADODB.Connection", "ADODB.Connection.1", "ADODB.Connection.6.0": the
// class name followed by nothing or by "." and a version of digits and dots.
bool Names(std::u16string_view progId, std::u16string_view name) {
  if (progId.size() < name.size() || !EqualsNoCase(progId.substr(0, name.size()), name))
    return false;
  const std::u16string_view version = progId.substr(name.size());
  if (version.empty()) return true;
  if (version.size() < 2 || version[0] != u'.') return false;
  for (char16_t c : version.substr(1)) {
    if (c != u'.' && (c < u'0' || c > u'9')) return false;
  }
  return true;
}

template <class I>
ComPtr<IDispatch> AsDispatch(ComPtr<I> object) {
  return ComPtr<IDispatch>::Attach(object.Detach());
}

}  // namespace

ComPtr<IDispatch> CreateAdoObject(std::u16string_view progId, const MapPathHook& mapPath) {
  if (Names(progId, kConnectionProgId)) return AsDispatch(MakeConnection(mapPath));
  if (Names(progId, kRecordsetProgId)) return AsDispatch(MakeRecordset(mapPath));
  if (Names(progId, kCommandProgId)) return AsDispatch(MakeCommand(mapPath));
  if (Names(progId, kStreamProgId)) return AsDispatch(MakeStream());
  return nullptr;
}

}  // namespace vant::host::ado
