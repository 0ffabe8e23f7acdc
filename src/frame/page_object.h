// The bases every page class is built from. SupportErrorInfo answers
// ISupportErrorInfo for the class's own interface; PageObject holds the
// page's intrinsic objects between OnStartPage and OnEndPage.
//
//   class CBLOBManager
//       : public ComObject<CBLOBManager,
//                          frame::PageObject<CBLOBManager, IBLOBManager,
//                          frame::PageObjects::Standard>, frame::SupportErrorInfo<IBLOBManager>> {
//                          … };
//
// A class adds steps by declaring, publicly, any of
//   void PageStarted();               after the objects were taken
//   void PageEnding();                before they are released
//   HRESULT PageFailure(std::u16string_view member);  an exception in either
// (by default: nothing, nothing, and E_FAIL from OnStartPage / S_OK from
// OnEndPage, since releasing the objects has nothing left to undo).
#pragma once

#include <string_view>

#include "frame/error_report.h"
#include "frame/page_context.h"
#include "platform/automation/automation.h"

namespace vant::frame {

template <class I>
struct SupportErrorInfo : ISupportErrorInfo {
  static constexpr IID kIid = IID_ISupportErrorInfo;

  HRESULT InterfaceSupportsErrorInfo(const IID& iid) override {
    return frame::InterfaceSupportsErrorInfo(I::kIid, iid);
  }
};

template <class Self, class I, PageObjects kObjects>
class PageObject : public DispatchImpl<I> {
 public:
  HRESULT OnStartPage(IUnknown* piUnk) override {
    try {
      const HRESULT hr = context_.OnStartPage(piUnk, kObjects);
      if (Failed(hr)) return hr;
      self().PageStarted();
      return S_OK;
    } catch (...) {
      return self().PageFailure(kOnStartPage);
    }
  }

  HRESULT OnEndPage() override {
    try {
      self().PageEnding();
      context_.OnEndPage();
      return S_OK;
    } catch (...) {
      return self().PageFailure(kOnEndPage);
    }
  }

  void PageStarted() {}
  void PageEnding() {}
  HRESULT PageFailure(std::u16string_view member) { return member == kOnEndPage ? S_OK : E_FAIL; }

 protected:
  static constexpr std::u16string_view kOnStartPage = u"OnStartPage";
  static constexpr std::u16string_view kOnEndPage = u"OnEndPage";

  PageContext context_;

 private:
  Self& self() { return static_cast<Self&>(*this); }
};

}  // namespace vant::frame
