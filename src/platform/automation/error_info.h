// The per-thread error record. SetErrorInfo replaces the thread's record;
// GetErrorInfo hands it over to the caller and clears the slot.
#pragma once

#include <cstdint>

#include "platform/automation/unknown.h"

namespace vant {

// A new, empty record. E_OUTOFMEMORY when it cannot be made; E_POINTER for null.
HRESULT CreateErrorInfo(ICreateErrorInfo** out);
// Makes `info` (may be null) the calling thread's record, releasing the old one.
HRESULT SetErrorInfo(std::uint32_t reserved, IErrorInfo* info);
// Hands over the thread's record (S_OK) or sets *out = nullptr and returns
// S_FALSE when there is none. The slot is empty afterwards.
HRESULT GetErrorInfo(std::uint32_t reserved, IErrorInfo** out);

}  // namespace vant
