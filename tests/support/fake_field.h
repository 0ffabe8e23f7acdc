// A database field for the component tests: serves its value through
// GetChunk, takes AppendChunk the way a field of the database objects does
// (a zero-based array of bytes), records every request and every appended
// chunk, and fails the Nth read or append on request.
#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/ado/field.h"
#include "platform/automation/automation.h"

namespace vant::test {

class FakeField : public ComObject<FakeField, ado::IField> {
 public:
  explicit FakeField(std::int32_t type, std::string value = "")
      : type_(type), value_(std::move(value)) {}

  HRESULT GetIDsOfNames(std::u16string_view, DISPID*) override { return DISP_E_UNKNOWNNAME; }
  HRESULT Invoke(DISPID, std::uint16_t, DispParams&, Variant*) override {
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT get_Type(std::int32_t* out) override {
    *out = type_;
    return S_OK;
  }
  HRESULT get_ActualSize(std::int32_t* out) override {
    *out = static_cast<std::int32_t>(value_.size() + stored.size());
    return S_OK;
  }
  HRESULT GetChunk(std::int32_t length, Variant* out) override {
    requests.push_back(length);
    if (failChunkAt && *failChunkAt == requests.size() - 1) return E_UNEXPECTED;
    const std::string part = value_.substr(std::min(position_, value_.size()), length);
    position_ += part.size();
    *out = Variant::Array(SafeArray::FromBytes(part.data(), part.size()));
    return S_OK;
  }
  HRESULT AppendChunk(const Variant& chunk) override {
    if (failAppendAt && *failAppendAt == appendCalls_++) return E_ACCESSDENIED;
    const SafeArray* array = chunk.Deref().array();
    if (array == nullptr || array->ElementType() != VT_UI1 || array->LowerBound() != 0) {
      return E_INVALIDARG;
    }
    appended.push_back(array->Count());
    if (array->Count() != 0)
      stored.append(reinterpret_cast<const char*>(array->Bytes()), array->Count());
    return S_OK;
  }

  std::vector<std::int32_t> requests;       // GetChunk lengths, in order
  std::vector<std::uint32_t> appended;      // AppendChunk sizes, in order
  std::string stored;                       // bytes appended
  std::optional<std::size_t> failChunkAt;   // GetChunk number that fails
  std::optional<std::size_t> failAppendAt;  // AppendChunk number that fails

 private:
  std::int32_t type_;
  std::string value_;
  std::size_t position_ = 0;
  std::size_t appendCalls_ = 0;
};

// An object that answers no field interface at all.
class NotAField : public ComObject<NotAField, IUnknown> {};

}  // namespace vant::test
