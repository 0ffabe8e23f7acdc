// What Server.GetLastError returns: a snapshot of the page's last error.
#pragma once

#include "host/intrinsics/interfaces.h"
#include "host/intrinsics/page_error.h"

namespace vant::host::intrinsics {

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
