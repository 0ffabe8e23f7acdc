// Member names as a script spells them, resolved once per thread: a page
// reads `Request.QueryString` or `dl.Download` on every request, and the
// member tables behind typed objects never change, so the id found for a
// (table, spelling) pair stays right for the life of the process.
#pragma once

#include <optional>
#include <string_view>

#include "platform/automation/automation.h"

namespace vant::host::pages::engine {

// The id cached for name (engine bytes, exactly as spelt) in table; an
// unknown name is cached as DISPID_UNKNOWN too.
std::optional<DISPID> CachedMemberId(const InterfaceInfo* table, std::string_view name);

// Remembers an answer. Bounded: past a fixed number of names per thread (a
// page may read ever new names) answers are no longer kept.
void CacheMemberId(const InterfaceInfo* table, std::string_view name, DISPID id);

}  // namespace vant::host::pages::engine
