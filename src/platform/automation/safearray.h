// One-dimensional SAFEARRAYs: byte arrays (VT_UI1) for request and download
// chunks, and string or variant vectors for the few members returning lists.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/automation/hresult.h"
#include "platform/automation/variant.h"

namespace vant {

class SafeArray {
 public:
  // Element type VT_UI1, VT_BSTR or VT_VARIANT; nullptr for any other.
  static std::unique_ptr<SafeArray> CreateVector(VARTYPE elementType, std::int32_t lowerBound,
                                                 std::uint32_t count);
  // A byte array holding a copy of `size` bytes.
  static std::unique_ptr<SafeArray> FromBytes(const void* data, std::size_t size);
  // A read-only byte array over `size` bytes that the caller keeps alive and
  // unchanged for the array's whole life; nothing is copied. Writing fails
  // on it (PutElement, Resize, the mutable Bytes() gives nullptr), so its
  // readers use the const Bytes(); Copy() gives an ordinary array. nullptr
  // when size exceeds a 32-bit count.
  static std::unique_ptr<SafeArray> ViewOfBytes(const void* data, std::size_t size);

  SafeArray(const SafeArray&) = delete;
  SafeArray& operator=(const SafeArray&) = delete;
  ~SafeArray();

  std::unique_ptr<SafeArray> Copy() const;

  VARTYPE ElementType() const { return elementType_; }
  std::uint32_t Dimensions() const { return 1; }
  std::int32_t LowerBound() const { return lowerBound_; }
  std::int32_t UpperBound() const { return lowerBound_ + static_cast<std::int32_t>(count_) - 1; }
  std::uint32_t Count() const { return count_; }

  // Lock/unlock for direct access to the elements (SafeArrayAccessData).
  // While locked the array cannot be resized or destroyed by its owner.
  HRESULT Lock();
  HRESULT Unlock();
  std::uint32_t LockCount() const { return locks_; }

  // Direct access to the bytes of a VT_UI1 array (nullptr otherwise, and
  // for writing into a view).
  std::uint8_t* Bytes() {
    return elementType_ == VT_UI1 && view_ == nullptr ? bytes_.data() : nullptr;
  }
  const std::uint8_t* Bytes() const {
    if (elementType_ != VT_UI1) return nullptr;
    return view_ != nullptr ? view_ : bytes_.data();
  }

  // Element access by index (lower bound based). Bytes come back as VT_UI1
  // variants; DISP_E_BADINDEX outside the bounds.
  HRESULT GetElement(std::int32_t index, Variant* out) const;
  HRESULT PutElement(std::int32_t index, const Variant& value);

  // Changes the element count (SafeArrayRedim); E_FAIL while locked.
  HRESULT Resize(std::uint32_t count);

 private:
  SafeArray(VARTYPE elementType, std::int32_t lowerBound, std::uint32_t count);

  VARTYPE elementType_;
  std::int32_t lowerBound_;
  std::uint32_t count_;
  std::uint32_t locks_ = 0;
  const std::uint8_t* view_ = nullptr;  // the bytes of a ViewOfBytes array
  std::vector<std::uint8_t> bytes_;
  std::vector<Variant> elements_;
};

}  // namespace vant
