#include "host/ado/detail/recordset_source.h"

#include "host/ado/detail/ado_error.h"
#include "host/ado/detail/recordset_loader.h"
#include "host/ado/interfaces.h"

namespace vant::host::ado {
namespace {

bool Given(const Variant& value) {
  const Variant& v = value.Deref();
  return !v.IsMissing() && !v.IsEmpty();
}

}  // namespace

Outcome DescribeSource(const Variant& source, const Variant& connection, std::int32_t options,
                       const SourceDefaults& defaults, const MapPathHook& mapPath,
                       CommandRequest* out) {
  const Variant& given = source.Deref();
  IDispatch* command = given.vt() == VT_DISPATCH ? given.dispatch() : nullptr;
  if (!Given(source)) command = defaults.command;
  if (command != nullptr) {
    ComPtr<ICommandAccess> access;
    if (Failed(command->QueryInterface(ICommandAccess::kIid, access.ReceiveVoid()))) {
      return BadArgumentFailure();
    }
    return access->Describe(out);
  }
  Bstr text;
  if (Given(source) && Failed(VariantToBstr(given, &text))) return BadArgumentFailure();
  out->text = Given(source) ? text.str() : defaults.text;
  if (out->text.empty()) {
    return Outcome::Fail(kBadArgument, u"The recordset needs a table name or a query.");
  }
  out->commandType = options == -1 ? -1 : options & ~kAdExecuteFlags;
  const Variant none;
  const Variant& fallback = defaults.connection != nullptr ? *defaults.connection : none;
  ConnectionRef ref;
  const Outcome resolved =
      ResolveConnection(Given(connection) ? connection : fallback, mapPath, &ref);
  out->db = std::move(ref.db);
  out->connection = std::move(ref.object);
  return resolved;
}

Outcome LoadSource(const CommandRequest& request, bool readOnly, std::int32_t maxRecords,
                   RecordsetData* out) {
  LoadOptions options;
  options.parameters = request.parameters;
  options.maxRecords = maxRecords;
  options.commandType = request.commandType;
  return LoadRecordset(request.db, request.text, readOnly, out, options);
}

}  // namespace vant::host::ado
