// VANT.Progress: a snapshot reader of one progress record. The getters
// return the snapshot taken by the latest successful SetProgressID and never
// look into the table, so a polling script calls SetProgressID before each
// read. No member raises a component error.
#pragma once

#include "progress/interfaces.h"
#include "progress/progress_table.h"

namespace vant::progress {

// The class name the class table gives Progress.
inline constexpr char16_t kProgressClassName[] = u"Progress";

// A new Progress object reading `table`.
ComPtr<IProgress> MakeProgress(ProgressTable& table);

// The class creator: a Progress object on ProgressTable::Instance(), handing
// out interface `iid` (E_NOINTERFACE and *out = nullptr for a foreign one).
HRESULT CreateProgress(const IID& iid, void** out);

}  // namespace vant::progress
