// The database access objects the page host makes without the registry:
// Server.CreateObject consults CreateAdoObject before the registered
// classes, and each class has its maker.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "host/ado/detail/connection_string.h"
#include "host/ado/detail/database.h"
#include "host/ado/detail/outcome.h"
#include "host/ado/detail/recordset_data.h"
#include "host/ado/interfaces.h"
#include "platform/automation/automation.h"

namespace vant::host::ado {

// A new object for "ADODB.Connection", "ADODB.Recordset", "ADODB.Command"
// or "ADODB.Stream" (any letter case, with or without a version suffix
// ".1", ".6.0"); nullptr for any other ProgID. `mapPath` (Server.MapPath of the
// page) resolves virtual database paths in connection strings.
ComPtr<IDispatch> CreateAdoObject(std::u16string_view progId, const MapPathHook& mapPath = {});

// A closed connection; `mapPath` resolves a virtual Data Source (the page
// host passes Server.MapPath).
ComPtr<IAdoConnection> MakeConnection(MapPathHook mapPath = {});

// An open connection over a database already opened (a recordset's or a
// command's ActiveConnection given as a connection string).
ComPtr<IAdoConnection> MakeConnectionOn(std::shared_ptr<Database> db,
                                        std::u16string connectionString);

// A closed recordset; `mapPath` resolves virtual paths of a connection
// string passed to Open or ActiveConnection.
ComPtr<IAdoRecordset> MakeRecordset(MapPathHook mapPath = {});

// The recordset Connection.Execute, Command.Execute and OpenSchema return:
// forward-only and read-only over rows already loaded, or closed when
// `data` is null. `connection` is its ActiveConnection.
ComPtr<IAdoRecordset> MakeExecuteResult(std::shared_ptr<RecordsetData> data, std::u16string source,
                                        Variant connection);

// ADODB.Command: a statement with `?` parameters run on a connection. The
// Parameters' values (or the array passed to Execute) are bound as SQLite
// parameters; they never become part of the SQL text. A new command has no
// connection; `mapPath` resolves a virtual Data Source of a connection
// string given as ActiveConnection.
ComPtr<IAdoCommand> MakeCommand(MapPathHook mapPath = {});

// ADODB.Stream: a new closed text stream (Charset "Unicode").
ComPtr<IAdoStream> MakeStream();

// The Fields collection of a recordset.
ComPtr<IAdoFields> MakeFields(std::shared_ptr<RecordsetData> data);

// The column an index names: a number is a 0-based position, text a field
// name in any letter case. kItemNotFound otherwise.
Outcome FindColumn(const RecordsetData& data, const Variant& index, std::size_t* column);

// A Field: one column of a recordset, read and written on the recordset's
// current row. `column` is a valid index; the field follows the position.
ComPtr<IAdoField> MakeField(std::shared_ptr<RecordsetData> data, std::size_t column);

}  // namespace vant::host::ado
