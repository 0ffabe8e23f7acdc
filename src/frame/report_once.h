// Guarded reporting: only the first failure of a call chain reaches the
// script. Each owner keeps an ErrorFlag; the first guarded report through it
// attaches its message and sets the flag, and every later guarded report
// through the same flag is silent. Every entry returns E_FAIL.
//
//   FileUpload            ReportErrorOnce(flag, drain, id, inserts)
//                         ReportSystemErrorOnce(flag, class, member, place)
//   its form objects      ReportErrorOnce(link, id, inserts)
//   BLOBManager, FileDownload, ImageProc, IVirusInfo
//                         ReportErrorOnce(flag, id, inserts)
#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "frame/error_report.h"

namespace vant::frame {

// Cleared when its owner is made, set by the first guarded report, never
// cleared again.
class ErrorFlag {
 public:
  bool IsSet() const { return set_; }
  void Set() { set_ = true; }

 private:
  friend HRESULT ReportErrorOnce(ErrorFlag&, const std::function<void()>&, MessageId,
                                 const Inserts&);
  bool set_ = false;
  bool draining_ = false;  // a drain started by a report is running
};

// A FileUpload's flag, shared with its multi-collection, collections and
// elements, which may outlive the upload object itself.
using ErrorFlagLink = std::shared_ptr<ErrorFlag>;

// Reads and discards the rest of a request body. The hook itself knows
// whether the body was drained already and does nothing then.
using DrainHook = std::function<void()>;

// FileUpload: unless the flag is set, runs the drain (a failure inside it
// reports its own message first), then reports `id` and sets the flag. A
// report made by the drain itself runs no second drain.
HRESULT ReportErrorOnce(ErrorFlag& flag, const DrainHook& drain, MessageId id,
                        const Inserts& inserts = {});

// FileUpload's operating-system variant: unless the flag is set, reports the
// last system error (ReportSystemError) and sets the flag. No drain.
HRESULT ReportSystemErrorOnce(ErrorFlag& flag, std::u16string_view className,
                              std::u16string_view memberName, std::u16string_view place);

// Form objects: as the FileUpload entry through the shared flag, without a
// drain. A null link (an object made outside any form) always reports.
HRESULT ReportErrorOnce(const ErrorFlagLink& link, MessageId id, const Inserts& inserts = {});

// Objects with a flag of their own: unless set, report and set it.
HRESULT ReportErrorOnce(ErrorFlag& flag, MessageId id, const Inserts& inserts = {});

}  // namespace vant::frame
