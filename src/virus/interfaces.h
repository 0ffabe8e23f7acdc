// Virus-scan settings and counters.
#pragma once

#include "platform/automation/automation.h"

namespace vant {

// {A83AC778-0DDC-4528-A784-0A6540732ECF}
struct IIVirusInfo : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0xA83AC778, 0x0DDC, 0x4528, 0xA7, 0x84, 0x0A, 0x65, 0x40, 0x73, 0x2E, 0xCF);
  // Members in function-table order, with their dispatch identifiers.
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT OnStartPage(IUnknown* piUnk) = 0;
  virtual HRESULT OnEndPage() = 0;
  virtual HRESULT get_ScanMode(int32_t* out) = 0;
  virtual HRESULT put_ScanMode(int32_t value) = 0;
  virtual HRESULT get_AutoRemovingInfectedFile(VARIANT_BOOL* out) = 0;
  virtual HRESULT put_AutoRemovingInfectedFile(VARIANT_BOOL value) = 0;
  virtual HRESULT get_ScanOption(int32_t* out) = 0;
  virtual HRESULT put_ScanOption(int32_t value) = 0;
  virtual HRESULT get_ScannedCount(int32_t* out) = 0;
  virtual HRESULT put_ScannedCount(int32_t value) = 0;
  virtual HRESULT get_InfectedCount(int32_t* out) = 0;
  virtual HRESULT put_InfectedCount(int32_t value) = 0;
  virtual HRESULT get_RepairedCount(int32_t* out) = 0;
  virtual HRESULT put_RepairedCount(int32_t value) = 0;
  virtual HRESULT get_RemovedCount(int32_t* out) = 0;
  virtual HRESULT put_RemovedCount(int32_t value) = 0;
  virtual HRESULT get_TempPath(Bstr* out) = 0;
  virtual HRESULT put_TempPath(const Bstr& value) = 0;
};

}  // namespace vant
