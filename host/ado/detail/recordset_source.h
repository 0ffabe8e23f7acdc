// What Recordset.Open reads: the source and connection it was given, or
// those its properties hold, resolved to a database, a statement and the
// parameter values to bind.
#pragma once

#include <cstdint>
#include <string>

#include "host/ado/detail/connection_access.h"
#include "host/ado/detail/outcome.h"
#include "host/ado/detail/recordset_data.h"

namespace vant::host::ado {

// The Source and ActiveConnection properties, for arguments Open omits.
struct SourceDefaults {
  IDispatch* command = nullptr;  // Source set to a Command
  std::u16string text;           // Source set to a table name or statement
  const Variant* connection = nullptr;
};

// `source` when given (a Command object, a table name or a statement),
// else the default; a text is read on `connection` when given, else on the
// default connection, with the command type of `options`. A Command brings
// its own connection and parameter values. kBadArgument for a source that
// is neither; the errors of ResolveConnection and Command's Describe.
Outcome DescribeSource(const Variant& source, const Variant& connection, std::int32_t options,
                       const SourceDefaults& defaults, const MapPathHook& mapPath,
                       CommandRequest* out);

// Reads the rows of a described source, at most `maxRecords` (0: all).
Outcome LoadSource(const CommandRequest& request, bool readOnly, std::int32_t maxRecords,
                   RecordsetData* out);

}  // namespace vant::host::ado
