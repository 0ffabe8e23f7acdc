#include "host/ado/detail/ado_error.h"

namespace vant::host::ado {

Outcome ClosedFailure() {
  return Outcome::Fail(kObjectClosed, u"Operation is not allowed when the object is closed.");
}

Outcome OpenFailure() {
  return Outcome::Fail(kObjectOpen, u"Operation is not allowed when the object is open.");
}

Outcome BadArgumentFailure() {
  return Outcome::Fail(kBadArgument,
                       u"Arguments are of the wrong type, are out of acceptable range, or are in "
                       u"conflict with one another.");
}

Outcome NoBookmarksFailure() {
  return Outcome::Fail(kNotSupported,
                       u"Current Recordset does not support bookmarks. This may be a limitation "
                       u"of the provider or of the selected cursortype.");
}

Outcome NoCurrentRecordFailure() {
  return Outcome::Fail(kNoCurrentRecord,
                       u"Either BOF or EOF is True, or the current record has been deleted. "
                       u"Requested operation requires a current record.");
}

HRESULT Report(const Outcome& outcome, std::u16string_view source) noexcept {
  if (outcome.ok()) return S_OK;
  return RaiseError(outcome.status, source, outcome.message);
}

}  // namespace vant::host::ado
