#include "virus/virus_info.h"

#include <new>

#include "frame/class_creators.h"
#include "frame/error_report.h"
#include "frame/member_guard.h"
#include "frame/page_object.h"
#include "frame/report_once.h"
#include "platform/fs/file_info.h"

namespace vant::virus {
namespace {

using frame::MessageId;

class CIVirusInfo
    : public ComObject<CIVirusInfo,
                       frame::PageObject<CIVirusInfo, IIVirusInfo, frame::PageObjects::All>,
                       frame::SupportErrorInfo<IIVirusInfo>> {
 public:
  HRESULT get_ScanMode(std::int32_t* out) override { return Give(scanMode_, out); }
  HRESULT put_ScanMode(std::int32_t value) override { return Take(value, &scanMode_); }
  HRESULT get_AutoRemovingInfectedFile(VARIANT_BOOL* out) override {
    if (out == nullptr) return E_POINTER;
    *out = ToVariantBool(removeInfected_);
    return S_OK;
  }
  HRESULT put_AutoRemovingInfectedFile(VARIANT_BOOL value) override {
    removeInfected_ = value != VARIANT_FALSE;
    return S_OK;
  }
  HRESULT get_ScanOption(std::int32_t* out) override { return Give(scanOption_, out); }
  HRESULT put_ScanOption(std::int32_t value) override { return Take(value, &scanOption_); }
  HRESULT get_ScannedCount(std::int32_t* out) override { return Give(scanned_, out); }
  HRESULT put_ScannedCount(std::int32_t value) override { return Take(value, &scanned_); }
  HRESULT get_InfectedCount(std::int32_t* out) override { return Give(infected_, out); }
  HRESULT put_InfectedCount(std::int32_t value) override { return Take(value, &infected_); }
  HRESULT get_RepairedCount(std::int32_t* out) override { return Give(repaired_, out); }
  HRESULT put_RepairedCount(std::int32_t value) override { return Take(value, &repaired_); }
  HRESULT get_RemovedCount(std::int32_t* out) override { return Give(removed_, out); }
  HRESULT put_RemovedCount(std::int32_t value) override { return Take(value, &removed_); }

  HRESULT get_TempPath(Bstr* out) override;
  HRESULT put_TempPath(const Bstr& value) override;

 private:
  static HRESULT Give(std::int32_t value, std::int32_t* out) {
    if (out == nullptr) return E_POINTER;
    *out = value;
    return S_OK;
  }
  static HRESULT Take(std::int32_t value, std::int32_t* field) {
    *field = value;
    return S_OK;
  }
  HRESULT _SetTempPath(const Bstr& value);
  HRESULT Unexpected(std::u16string_view member) {
    return frame::ReportErrorOnce(errorFlag_, MessageId::kUnexpectedFailure,
                                  {kImplementationName, member});
  }

  std::int32_t scanMode_ = 0;
  bool removeInfected_ = false;
  std::int32_t scanOption_ = 0;
  std::int32_t scanned_ = 0;
  std::int32_t infected_ = 0;
  std::int32_t repaired_ = 0;
  std::int32_t removed_ = 0;
  frame::ErrorFlag errorFlag_;
  std::u16string tempPath_;
  frame::ModuleLock lock_;
};

HRESULT CIVirusInfo::get_TempPath(Bstr* out) {
  if (out == nullptr) return E_POINTER;
  try {
    *out = Bstr(tempPath_);
    return S_OK;
  } catch (const std::bad_alloc&) {
    return frame::ReportErrorOnce(errorFlag_, MessageId::kStringNotAllocated);
  } catch (...) {
    return Unexpected(frame::MemberName<&IIVirusInfo::get_TempPath>());
  }
}

HRESULT CIVirusInfo::put_TempPath(const Bstr& value) {
  try {
    return _SetTempPath(value);
  } catch (...) {
    return Unexpected(frame::MemberName<&IIVirusInfo::put_TempPath>());
  }
}

HRESULT CIVirusInfo::_SetTempPath(const Bstr& value) {
  if (value.size() >= kMaxTempPathLength) {
    return frame::ReportErrorOnce(errorFlag_, MessageId::kPathTooLong);
  }
  // A virtual path whose mapping fails is kept as given, like any path rule.
  Bstr stored;
  (void)frame::MapPathIfVirtual(context_, value, &stored);
  tempPath_ = stored.str();
  if (fs::FolderExists(tempPath_)) return S_OK;
  if (fs::CreateFolderTree(tempPath_).ok()) return S_OK;
  // The new path stays stored, so the script can read what it asked for.
  return frame::ReportErrorOnce(errorFlag_, MessageId::kFolderNotCreated, {tempPath_});
}

const frame::ClassCreatorRegistrar kRegistrar(kVirusInfoClassName, &CreateVirusInfo);

}  // namespace

HRESULT CreateVirusInfo(const IID& iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  try {
    return CIVirusInfo::Create()->QueryInterface(iid, out);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace vant::virus
