#include "frame/report_once.h"

namespace vant::frame {

HRESULT ReportErrorOnce(ErrorFlag& flag, const DrainHook& drain, MessageId id,
                        const Inserts& inserts) {
  if (flag.set_) return E_FAIL;
  if (drain && !flag.draining_) {
    // The drain may fail and report through this same entry; its message is
    // attached first and then replaced by the one that started the drain.
    flag.draining_ = true;
    try {
      drain();
    } catch (...) {
    }
    flag.draining_ = false;
  }
  ReportComponentError(id, inserts);
  flag.set_ = true;
  return E_FAIL;
}

HRESULT ReportSystemErrorOnce(ErrorFlag& flag, std::u16string_view className,
                              std::u16string_view memberName, std::u16string_view place) {
  if (flag.IsSet()) return E_FAIL;
  ReportSystemError(className, memberName, place);
  flag.Set();
  return E_FAIL;
}

HRESULT ReportErrorOnce(const ErrorFlagLink& link, MessageId id, const Inserts& inserts) {
  if (!link) return ReportComponentError(id, inserts);
  return ReportErrorOnce(*link, id, inserts);
}

HRESULT ReportErrorOnce(ErrorFlag& flag, MessageId id, const Inserts& inserts) {
  if (flag.IsSet()) return E_FAIL;
  ReportComponentError(id, inserts);
  flag.Set();
  return E_FAIL;
}

}  // namespace vant::frame
