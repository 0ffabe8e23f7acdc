// A Connection's Errors collection: a live view of the error list the
// connection keeps, one entry per failure of its last failed operation.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/ado/detail/outcome.h"
#include "host/ado/interfaces.h"

namespace vant::host::ado {

struct ErrorEntry {
  HRESULT number = S_OK;
  std::u16string description;
  std::u16string source;
  std::int32_t nativeError = 0;
  std::u16string sqlState;
};

using ErrorList = std::vector<ErrorEntry>;

// The entry a failed outcome makes: SQLite's extended result code as the
// native error, SQLSTATE 23000 for constraint failures, HY000 for other
// database failures, empty otherwise.
ErrorEntry MakeErrorEntry(const Outcome& failure, std::u16string_view source);

ComPtr<IAdoErrors> MakeErrors(std::shared_ptr<ErrorList> list);

}  // namespace vant::host::ado
