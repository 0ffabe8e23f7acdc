// Request.ServerVariables as a collection: Item(name) is the variable's
// text, EMPTY for an unknown name; enumerating gives the names.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/intrinsics/detail/server_variables.h"
#include "host/intrinsics/interfaces.h"

namespace vant::host::intrinsics {

class ServerVariablesObject final
    : public ComObject<ServerVariablesObject, DispatchImpl<IAspRequestDictionary>> {
 public:
  // Reads the request head `facts` names while the page runs: a component
  // asking for one variable costs no copy of every header. KeepHead, which
  // the Request calls as the page ends, copies it for a script or
  // component that keeps the collection past the page.
  // `owner` keeps what the facts' views refer to.
  ServerVariablesObject(ServerFacts facts, std::shared_ptr<const void> owner);
  void KeepHead();

  HRESULT get_Item(const Variant& key, Variant* out) override;
  HRESULT get_Count(std::int32_t* out) override;
  HRESULT get__NewEnum(IUnknown** out) override;
  HRESULT get_Key(const Variant& position, Variant* out) override;

  // The value of `name`, nothing when unknown; for Request(name).
  std::optional<std::u16string> Lookup(std::u16string_view name) const;

 protected:
  void* FindExtraInterface(const IID& iid) override;

 private:
  // The names in enumeration order, listed on first use: a page that reads
  // variables by name never needs them.
  const std::vector<std::string>& Names();

  ServerFacts facts_;
  std::shared_ptr<const void> owner_;
  std::optional<http::RequestHead> kept_;
  std::optional<std::vector<std::string>> names_;
};

}  // namespace vant::host::intrinsics
