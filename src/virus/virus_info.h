// VANTUploaddll.IVirusInfo: a holder of virus-scan settings and counters
// that a page script fills and reads. Nothing in the system scans files or
// reads these values; TempPath alone checks (and creates) its folder.
#pragma once

#include "virus/interfaces.h"

namespace vant::virus {

// The class name the class table gives IVirusInfo, and the implementation
// class and member names of its reports.
inline constexpr char16_t kVirusInfoClassName[] = u"IVirusInfo";
inline constexpr char16_t kImplementationName[] = u"CIVirusInfo";

// TempPath values of this many characters or more are refused.
inline constexpr std::size_t kMaxTempPathLength = 1024;

// The class creator: a new settings object handing out interface `iid`.
HRESULT CreateVirusInfo(const IID& iid, void** out);

}  // namespace vant::virus
