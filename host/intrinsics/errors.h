// How the intrinsic objects fail: a status plus the thread's error record
// naming the object, and the page's last error as Server.GetLastError
// shows it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "host/intrinsics/interfaces.h"
#include "platform/automation/automation.h"

namespace vant::host::intrinsics {

// The record's source names the object that failed.
inline constexpr std::u16string_view kRequestSource = u"Request object";
inline constexpr std::u16string_view kResponseSource = u"Response object";
inline constexpr std::u16string_view kServerSource = u"Server object";
inline constexpr std::u16string_view kSessionSource = u"Session object";
inline constexpr std::u16string_view kApplicationSource = u"Application object";

using vant::Guarded;
using vant::RaiseError;

// Fails with "The page has ended." for objects used after their page.
HRESULT PageEnded(std::u16string_view source) noexcept;

// The fields of the last error of a page, as Server.GetLastError shows them.
struct PageError {
  std::int32_t number = 0;  // the failure status
  std::u16string aspCode;   // the host's own error code, "" for script errors
  std::u16string category;  // "Microsoft JScript runtime" style area name
  std::u16string source;    // the error record's source
  std::u16string description;
  std::u16string aspDescription;
  std::u16string file;  // virtual path of the page
  std::int32_t line = 0;
  std::int32_t column = -1;
};

// What Server.GetLastError returns: a snapshot of the page's last error.
class ErrorObject final : public ComObject<ErrorObject, DispatchImpl<IAspError>> {
 public:
  explicit ErrorObject(PageError error) : error_(std::move(error)) {}

  HRESULT get_ASPCode(Bstr* out) override { return Text(error_.aspCode, out); }
  HRESULT get_Number(std::int32_t* out) override { return Number(error_.number, out); }
  HRESULT get_Category(Bstr* out) override { return Text(error_.category, out); }
  HRESULT get_File(Bstr* out) override { return Text(error_.file, out); }
  HRESULT get_Line(std::int32_t* out) override { return Number(error_.line, out); }
  HRESULT get_Description(Bstr* out) override { return Text(error_.description, out); }
  HRESULT get_ASPDescription(Bstr* out) override { return Text(error_.aspDescription, out); }
  HRESULT get_Column(std::int32_t* out) override { return Number(error_.column, out); }
  HRESULT get_Source(Bstr* out) override { return Text(error_.source, out); }

 private:
  static HRESULT Text(const std::u16string& value, Bstr* out);
  static HRESULT Number(std::int32_t value, std::int32_t* out);

  PageError error_;
};

}  // namespace vant::host::intrinsics
