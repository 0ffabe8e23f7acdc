// How a Recordset reaches the database of the Connection object a page
// passes to Recordset.Open: a private interface of the Connection class.
#pragma once

#include <memory>

#include "host/ado/database.h"
#include "platform/automation/automation.h"

namespace vant::host::ado {

// {6B1F1C3E-2F5A-4D43-9E47-2B8A51C0D7A1}
struct IConnectionAccess : IUnknown {
  static constexpr IID kIid =
      MakeGuid(0x6B1F1C3E, 0x2F5A, 0x4D43, 0x9E, 0x47, 0x2B, 0x8A, 0x51, 0xC0, 0xD7, 0xA1);
  // The connection's database; null while it is closed.
  virtual std::shared_ptr<Database> SharedDatabase() = 0;
};

}  // namespace vant::host::ado
