// Reporting a failure to the calling script: the message text is looked up
// in the catalog by identifier and language, formatted with its inserts, and
// attached to the calling thread as its error record (text as the source,
// "VANTUpload Professional" as the description). Every entry returns the
// generic failure status, never throws and never changes the caller's status.
#pragma once

#include <string_view>
#include <vector>

#include "frame/message_format.h"
#include "frame/message_ids.h"
#include "platform/automation/guid.h"
#include "platform/automation/hresult.h"

namespace vant::frame {

// The description of every error record this system attaches.
inline constexpr char16_t kErrorDescription[] = u"VANTUpload Professional";
// The text when the catalog named by the configuration does not load.
inline constexpr char16_t kCatalogMissingText[] = u"Can't Find the VANTUploadRes.dll";

// Positional inserts %1, %2, … in order: ReportComponentError(id, {path, int32_t{n}}).
using Inserts = std::vector<MessageInsert>;

// Always reports: reads the configuration afresh, loads the catalog, formats
// message `id` in the configured language and makes the result the thread's
// error record. A catalog that does not load gives kCatalogMissingText; an
// identifier missing from the language's table gives an empty text. Returns
// E_FAIL.
HRESULT ReportComponentError(MessageId id, const Inserts& inserts = {});

// Reports the calling thread's last operating-system error as kSystemError
// with the inserts (system text, className, memberName, place). Call it right
// after the failing call, before anything else can change the error. E_FAIL.
HRESULT ReportSystemError(std::u16string_view className, std::u16string_view memberName,
                          std::u16string_view place);

// The report of an exception caught at a member boundary: kUnexpectedFailure
// with the implementation class name and member name. E_FAIL.
HRESULT UnexpectedFailure(std::u16string_view className, std::u16string_view memberName);

// ISupportErrorInfo for a class: S_OK for the class's own interface, S_FALSE
// for any other.
HRESULT InterfaceSupportsErrorInfo(const IID& ownIid, const IID& askedIid);

}  // namespace vant::frame
