// The upload object's error path, shared by its reader, parser and members:
// only the first failure of the upload reaches the script, and the rest of
// the request body is drained before that message is attached, so the host
// has consumed the whole body when the page sees the error.
#pragma once

#include <string_view>
#include <utility>

#include "frame/member_guard.h"
#include "frame/report_once.h"

namespace vant::upload {

class UploadErrors {
 public:
  // `flag` is the upload's flag, shared with its form objects.
  explicit UploadErrors(frame::ErrorFlagLink flag) : flag_(std::move(flag)) {}
  UploadErrors(const UploadErrors&) = delete;
  UploadErrors& operator=(const UploadErrors&) = delete;

  // The drain to run before the first report (it knows whether the body was
  // drained already and does nothing then).
  void SetDrain(frame::DrainHook drain) { drain_ = std::move(drain); }

  // Drains, then reports `id` unless an error was reported already. E_FAIL.
  HRESULT Report(frame::MessageId id, const frame::Inserts& inserts = {}) {
    return frame::ReportErrorOnce(*flag_, drain_, id, inserts);
  }
  // The last operating-system error as CFileUpload's `member` at `place`,
  // unless an error was reported already. No drain. E_FAIL.
  HRESULT ReportSystem(std::u16string_view member, std::u16string_view place);
  // An exception caught at the boundary of `member`. E_FAIL.
  HRESULT Unexpected(std::u16string_view member);
  // The same without the drain: for the release path, where the body no
  // longer matters.
  HRESULT UnexpectedNoDrain(std::u16string_view member);

  bool IsSet() const { return flag_->IsSet(); }
  const frame::ErrorFlagLink& Flag() const { return flag_; }

  // Runs `step`, turning any exception into Unexpected(member).
  template <class Step>
  HRESULT Guard(std::u16string_view member, Step&& step) {
    return frame::Guard(std::forward<Step>(step), [&] { return Unexpected(member); });
  }

 private:
  frame::ErrorFlagLink flag_;
  frame::DrainHook drain_;
};

}  // namespace vant::upload
