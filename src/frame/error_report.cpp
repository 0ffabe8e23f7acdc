#include "frame/error_report.h"

#include <optional>
#include <string>

#include "frame/member_guard.h"
#include "frame/message_library.h"
#include "platform/automation/com_ptr.h"
#include "platform/automation/error_info.h"
#include "platform/sys/error_text.h"

namespace vant::frame {
namespace {

std::u16string MessageText(MessageId id, const Inserts& inserts) {
  const MessageConfig config = ReadMessageConfig();
  const std::optional<MessageCatalog> catalog = LoadMessageLibrary(config.resPath);
  if (!catalog) return kCatalogMissingText;
  return catalog->Format(ToNumber(id), MessageLanguage(config.langId), inserts);
}

// Makes a record with `text` as its source the thread's current error. When
// the record cannot be made nothing is attached.
void AttachErrorRecord(const std::u16string& text) {
  ComPtr<ICreateErrorInfo> create;
  if (Failed(CreateErrorInfo(create.Receive()))) return;
  create->SetDescription(Bstr(kErrorDescription));
  create->SetSource(Bstr(text));
  ComPtr<IErrorInfo> info;
  if (Failed(create.As(IID_IErrorInfo, &info))) return;
  SetErrorInfo(0, info.get());
}

}  // namespace

HRESULT ReportComponentError(MessageId id, const Inserts& inserts) {
  // A report must never disturb its caller: whatever goes wrong while looking
  // up or attaching the text is swallowed.
  try {
    AttachErrorRecord(MessageText(id, inserts));
  } catch (...) {
  }
  return E_FAIL;
}

HRESULT ReportSystemError(std::u16string_view className, std::u16string_view memberName,
                          std::u16string_view place) {
  const int code = sys::LastError();
  try {
    return ReportComponentError(MessageId::kSystemError,
                                {sys::SystemErrorText(code), className, memberName, place});
  } catch (...) {
  }
  return E_FAIL;
}

HRESULT UnexpectedFailure(std::u16string_view className, std::u16string_view memberName) {
  try {
    return ReportComponentError(MessageId::kUnexpectedFailure, {className, memberName});
  } catch (...) {
  }
  return E_FAIL;
}

HRESULT InterfaceSupportsErrorInfo(const IID& ownIid, const IID& askedIid) {
  return ownIid == askedIid ? S_OK : S_FALSE;
}

MemberReportName ReportNameOf(const InterfaceInfo& info, Invoker invoke) {
  MemberReportName out;
  for (const MemberInfo& member : info.members) {
    if (member.invoke != invoke) continue;
    std::u16string_view prefix;
    if (member.kind == MemberKind::PropertyGet) prefix = u"get_";
    if (member.kind == MemberKind::PropertyPut) prefix = u"put_";
    const std::u16string_view name(member.name);
    // The longest table name is far below the buffer; a longer one is cut.
    for (const std::u16string_view part : {prefix, name}) {
      for (const char16_t c : part) {
        if (out.size < out.text.size()) out.text[out.size++] = c;
      }
    }
    break;
  }
  return out;
}

}  // namespace vant::frame
