// VANT.FileUploadMonitor: issues a progress id to the browser in a cookie
// (UseMonitor) and renders the self-refreshing monitor page for the id the
// browser sends back (ShowMonitor). It takes no Session, so its page can run
// with ENABLESESSIONSTATE=False beside the upload that holds the session.
// No member raises a component error.
#pragma once

#include "progress/interfaces.h"
#include "progress/progress_table.h"

namespace vant::progress {

// The class name the class table gives FileUploadMonitor.
inline constexpr char16_t kFileUploadMonitorClassName[] = u"FileUploadMonitor";

// A new monitor object reading `table`.
ComPtr<IFileUploadMonitor> MakeFileUploadMonitor(ProgressTable& table);

// The class creator: a monitor object on ProgressTable::Instance().
HRESULT CreateFileUploadMonitor(const IID& iid, void** out);

}  // namespace vant::progress
