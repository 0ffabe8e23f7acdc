// What a cleanup of form elements deletes.
#pragma once

#include <cstdint>

namespace vant::form {

// DeleteSavedFile / DeleteAllSavedFiles modes. Any value other than
// DeleteModeTempOnly acts as DeleteModeAll.
inline constexpr std::int32_t DeleteModeAll = 0;       // saved files too
inline constexpr std::int32_t DeleteModeTempOnly = 1;  // only unsaved temporary files

}  // namespace vant::form
