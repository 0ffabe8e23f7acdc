// Arrays of bytes, strings or variants; variant arrays may have two
// dimensions.
#include "platform/automation/safearray.h"

#include <cstring>
#include <limits>
#include <new>

namespace vant {
namespace {

constexpr std::uint32_t kMaxLocks = std::numeric_limits<std::uint16_t>::max();

bool IsSupportedElementType(VARTYPE vt) {
  return vt == VT_UI1 || vt == VT_BSTR || vt == VT_VARIANT;
}

// The value a new element of the array starts with.
Variant InitialElement(VARTYPE elementType) {
  return elementType == VT_BSTR ? Variant::String(Bstr()) : Variant();
}

}  // namespace

SafeArray::SafeArray(VARTYPE elementType, std::int32_t lowerBound, std::uint32_t count)
    : elementType_(elementType), lowerBound_(lowerBound), count_(count) {
  if (elementType == VT_UI1) {
    bytes_.resize(count);
    return;
  }
  elements_.resize(count, InitialElement(elementType));
}

SafeArray::~SafeArray() = default;

std::unique_ptr<SafeArray> SafeArray::CreateVector(VARTYPE elementType, std::int32_t lowerBound,
                                                   std::uint32_t count) {
  if (!IsSupportedElementType(elementType)) return nullptr;
  // The upper bound must be a valid 32-bit index too.
  const std::int64_t upper = std::int64_t{lowerBound} + count - 1;
  if (upper > std::numeric_limits<std::int32_t>::max()) return nullptr;
  try {
    return std::unique_ptr<SafeArray>(new SafeArray(elementType, lowerBound, count));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

std::unique_ptr<SafeArray> SafeArray::FromBytes(const void* data, std::size_t size) {
  if (size > std::numeric_limits<std::int32_t>::max()) return nullptr;
  if (data == nullptr && size != 0) return nullptr;
  std::unique_ptr<SafeArray> array = CreateVector(VT_UI1, 0, static_cast<std::uint32_t>(size));
  if (array != nullptr && size != 0) std::memcpy(array->bytes_.data(), data, size);
  return array;
}

std::unique_ptr<SafeArray> SafeArray::ViewOfBytes(const void* data, std::size_t size) {
  if (size > std::numeric_limits<std::int32_t>::max()) return nullptr;
  if (data == nullptr && size != 0) return nullptr;
  std::unique_ptr<SafeArray> array = CreateVector(VT_UI1, 0, 0);
  if (array == nullptr) return nullptr;
  array->count_ = static_cast<std::uint32_t>(size);
  // A view of nothing still answers Bytes() with a pointer, as arrays do.
  static constexpr std::uint8_t kNoBytes[1] = {};
  array->view_ = size != 0 ? static_cast<const std::uint8_t*>(data) : kNoBytes;
  return array;
}

std::unique_ptr<SafeArray> SafeArray::CreateMatrix(std::uint32_t count1, std::uint32_t count2) {
  const std::uint64_t total = std::uint64_t{count1} * count2;
  if (total > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) return nullptr;
  std::unique_ptr<SafeArray> array = CreateVector(VT_VARIANT, 0, static_cast<std::uint32_t>(total));
  if (array == nullptr) return nullptr;
  array->matrix_ = true;
  array->count1_ = count1;
  array->count2_ = count2;
  return array;
}

std::int32_t SafeArray::UpperBound(std::uint32_t dimension) const {
  if (!matrix_) return lowerBound_ + static_cast<std::int32_t>(count_) - 1;
  const std::uint32_t count = dimension == 1 ? count1_ : count2_;
  return static_cast<std::int32_t>(count) - 1;
}

HRESULT SafeArray::GetElement(std::int32_t i, std::int32_t j, Variant* out) const {
  if (!matrix_ || i < 0 || j < 0 || static_cast<std::uint32_t>(i) >= count1_ ||
      static_cast<std::uint32_t>(j) >= count2_) {
    return DISP_E_BADINDEX;
  }
  return GetElement(static_cast<std::int32_t>(static_cast<std::uint32_t>(j) * count1_ +
                                              static_cast<std::uint32_t>(i)),
                    out);
}

HRESULT SafeArray::PutElement(std::int32_t i, std::int32_t j, const Variant& value) {
  if (!matrix_ || i < 0 || j < 0 || static_cast<std::uint32_t>(i) >= count1_ ||
      static_cast<std::uint32_t>(j) >= count2_) {
    return DISP_E_BADINDEX;
  }
  return PutElement(static_cast<std::int32_t>(static_cast<std::uint32_t>(j) * count1_ +
                                              static_cast<std::uint32_t>(i)),
                    value);
}

std::unique_ptr<SafeArray> SafeArray::Copy() const {
  try {
    std::unique_ptr<SafeArray> copy(new SafeArray(elementType_, lowerBound_, 0));
    copy->count_ = count_;
    copy->matrix_ = matrix_;
    copy->count1_ = count1_;
    copy->count2_ = count2_;
    copy->bytes_ = view_ != nullptr ? std::vector<std::uint8_t>(view_, view_ + count_) : bytes_;
    copy->elements_ = elements_;  // each Variant copy deep-copies its own contents
    return copy;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

HRESULT SafeArray::Lock() {
  if (locks_ >= kMaxLocks) return E_UNEXPECTED;
  ++locks_;
  return S_OK;
}

HRESULT SafeArray::Unlock() {
  if (locks_ == 0) return E_UNEXPECTED;
  --locks_;
  return S_OK;
}

HRESULT SafeArray::GetElement(std::int32_t index, Variant* out) const {
  if (out == nullptr) return E_POINTER;
  const std::int64_t offset = std::int64_t{index} - lowerBound_;
  if (offset < 0 || offset >= count_) return DISP_E_BADINDEX;
  try {
    if (elementType_ == VT_UI1) {
      *out = Variant::UI1(Bytes()[static_cast<std::size_t>(offset)]);
      return S_OK;
    }
    *out = elements_[static_cast<std::size_t>(offset)];
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

// The value is converted to the element type: a byte for byte arrays, a
// string for string arrays; variant arrays keep a copy of the value itself.
HRESULT SafeArray::PutElement(std::int32_t index, const Variant& value) {
  const std::int64_t offset = std::int64_t{index} - lowerBound_;
  if (offset < 0 || offset >= count_) return DISP_E_BADINDEX;
  if (view_ != nullptr) return E_ACCESSDENIED;
  Variant converted;
  const HRESULT hr = VariantChangeType(converted, value, elementType_);
  if (Failed(hr)) return hr;
  const auto at = static_cast<std::size_t>(offset);
  if (elementType_ == VT_UI1) {
    bytes_[at] = converted.ui1();
    return S_OK;
  }
  elements_[at] = std::move(converted);
  return S_OK;
}

HRESULT SafeArray::Resize(std::uint32_t count) {
  if (locks_ != 0 || view_ != nullptr || matrix_) return E_FAIL;
  if (std::int64_t{lowerBound_} + count - 1 > std::numeric_limits<std::int32_t>::max()) {
    return E_INVALIDARG;
  }
  try {
    if (elementType_ == VT_UI1) {
      bytes_.resize(count);
    } else {
      elements_.resize(count, InitialElement(elementType_));
    }
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  count_ = count;
  return S_OK;
}

}  // namespace vant
