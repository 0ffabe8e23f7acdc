#include "progress/file_upload_monitor.h"

#include <new>
#include <optional>
#include <string>

#include "frame/class_creators.h"
#include "frame/error_report.h"
#include "frame/page_object.h"
#include "progress/monitor_cookie.h"
#include "progress/monitor_html.h"
#include "progress/monitor_page.h"

namespace vant::progress {
namespace {

// The page expires at once, so every reload asks the server again.
constexpr std::int32_t kExpiredAlready = -1;
constexpr char16_t kScriptNameVariable[] = u"SCRIPT_NAME";
constexpr char16_t kUserAgentVariable[] = u"HTTP_USER_AGENT";

class CFileUploadMonitor
    : public ComObject<
          CFileUploadMonitor,
          frame::PageObject<CFileUploadMonitor, IFileUploadMonitor, frame::PageObjects::Standard>,
          frame::SupportErrorInfo<IFileUploadMonitor>> {
 public:
  explicit CFileUploadMonitor(ProgressTable& table) : table_(table) {}

  HRESULT UseMonitor(VARIANT_BOOL vbUse) override;
  HRESULT ShowMonitor() override;

 private:
  HRESULT _ShowMonitor(host::IResponse& response);
  // What the page shows for the id the cookie names.
  ProgressSnapshot CookieRecord() const;
  std::u16string Variable(std::u16string_view name) const {
    return frame::GetServerVariable(context_, name).value_or(std::u16string());
  }

  ProgressTable& table_;
  frame::ModuleLock lock_;
};

HRESULT CFileUploadMonitor::UseMonitor(VARIANT_BOOL vbUse) {
  if (vbUse == VARIANT_FALSE) return S_OK;
  try {
    const std::optional<std::int32_t> id = table_.AllocateProgressId();
    if (!id) return E_FAIL;
    // The page goes on without the cookie; the monitor then shows nothing.
    (void)WriteMonitorCookie(context_, *id);
    return S_OK;
  } catch (...) {
    return E_FAIL;
  }
}

HRESULT CFileUploadMonitor::ShowMonitor() {
  host::IResponse* const response = context_.Response();
  if (response == nullptr) return frame::kIntrinsicNotHeld;
  try {
    return _ShowMonitor(*response);
  } catch (...) {
    return E_FAIL;
  }
}

ProgressSnapshot CFileUploadMonitor::CookieRecord() const {
  // A record of another session's upload reads as none: the window closes.
  const std::u16string readerKey = frame::SessionKeyOf(context_.Request());
  if (std::optional<ProgressSnapshot> found =
          table_.Snapshot(ReadMonitorCookie(context_), readerKey)) {
    return *found;
  }
  // No upload can ever report to an id the table does not hold: show an
  // empty record and close the window instead of polling for nothing.
  ProgressSnapshot none;
  none.record.working = 0;
  return none;
}

HRESULT CFileUploadMonitor::_ShowMonitor(host::IResponse& response) {
  (void)response.put_Expires(kExpiredAlready);
  (void)response.put_Buffer(VARIANT_TRUE);
  const ProgressSnapshot shown = CookieRecord();
  if (shown.refused) {
    (void)response.Write(Variant::String(Bstr(html::kRefusedPage)));
    return response.Flush();
  }
  const ProgressInfo& record = shown.record;
  std::u16string page = MonitorHead(Variable(kScriptNameVariable), (record.working & 0xFF) != 0);
  std::u16string sizes;
  if (Succeeded(response.Write(Variant::String(Bstr(page))))) {
    page.clear();
    try {
      AppendMonitorBar(page, shown.percent, Variable(kUserAgentVariable));
      sizes = MonitorSizesText(shown.transferred, record.total);
      page += MonitorTimeText(record.remaining, shown.bytesPerSec);
    } catch (const std::bad_alloc&) {
      // Out of memory: the page ends with what it holds so far.
    }
  }
  // A failed first write keeps its text: the closing part follows it.
  AppendMonitorTail(page, sizes, shown.percent);
  (void)response.Write(Variant::String(Bstr(page)));
  return response.Flush();
}

const frame::ClassCreatorRegistrar kRegistrar(kFileUploadMonitorClassName,
                                              &CreateFileUploadMonitor);

}  // namespace

ComPtr<IFileUploadMonitor> MakeFileUploadMonitor(ProgressTable& table) {
  ComPtr<CFileUploadMonitor> object = CFileUploadMonitor::Create(table);
  return ComPtr<IFileUploadMonitor>(object.get());
}

HRESULT CreateFileUploadMonitor(const IID& iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  try {
    return CFileUploadMonitor::Create(ProgressTable::Instance())->QueryInterface(iid, out);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace vant::progress
