// The page handler's side of Server.Execute and Server.Transfer.
#pragma once

#include <string>

#include "platform/automation/automation.h"

namespace vant::host::intrinsics {

class PageExecutor {
 public:
  virtual ~PageExecutor() = default;
  // Runs the page at `virtualPath` ("/dir/page.asp", already resolved and
  // checked to stay in the site) with this request's objects, and returns
  // when it is done. Its failure status reaches the calling script; the
  // executor sets the error record.
  virtual HRESULT Execute(const std::string& virtualPath) = 0;
  // The same for Transfer; the calling page ends after it returns.
  virtual HRESULT Transfer(const std::string& virtualPath) = 0;
};

}  // namespace vant::host::intrinsics
