// How a Recordset reaches the database of the Connection or Command object
// a page passes to it: private interfaces of those classes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/ado/detail/connection_string.h"
#include "host/ado/detail/database.h"
#include "host/ado/detail/outcome.h"
#include "platform/automation/automation.h"

namespace vant::host::ado {

// {6B1F1C3E-2F5A-4D43-9E47-2B8A51C0D7A1}
struct IConnectionAccess : IUnknown {
  static constexpr IID kIid =
      MakeGuid(0x6B1F1C3E, 0x2F5A, 0x4D43, 0x9E, 0x47, 0x2B, 0x8A, 0x51, 0xC0, 0xD7, 0xA1);
  // The connection's database; null while it is closed.
  virtual std::shared_ptr<Database> SharedDatabase() = 0;
  // Starts the connection's Errors collection afresh with this failure (as
  // every failed operation through a connection does).
  virtual void RecordError(const Outcome& failure, std::u16string_view source) = 0;
};

// What a Command stands for when it is run or opened as a recordset source.
struct CommandRequest {
  std::shared_ptr<Database> db;
  ComPtr<IDispatch> connection;  // the Connection object, when the command has one
  std::u16string text;
  std::vector<Variant> parameters;  // the values of the Parameters collection, in order
  std::int32_t commandType = -1;
};

// {3C7E9A52-81D4-4F0B-A6E3-5D2B94C1E870}
struct ICommandAccess : IUnknown {
  static constexpr IID kIid =
      MakeGuid(0x3C7E9A52, 0x81D4, 0x4F0B, 0xA6, 0xE3, 0x5D, 0x2B, 0x94, 0xC1, 0xE8, 0x70);
  // kConnectionInvalid without an open connection, kNoCommandText without
  // a command text.
  virtual Outcome Describe(CommandRequest* out) = 0;
};

// The Connection object and database that an ActiveConnection value
// names: a Connection object, or a connection string opened as a new
// Connection object. kConnectionInvalid for a missing value, anything that
// is not a connection, or a closed connection; kBadArgument or
// kDatabaseError when the string names no database that opens.
struct ConnectionRef {
  std::shared_ptr<Database> db;
  ComPtr<IDispatch> object;
};
Outcome ResolveConnection(const Variant& given, const MapPathHook& mapPath, ConnectionRef* out);

// Adds a failure to the Errors of `connection` when it is a Connection.
void RecordConnectionError(IDispatch* connection, const Outcome& failure,
                           std::u16string_view source);

}  // namespace vant::host::ado
