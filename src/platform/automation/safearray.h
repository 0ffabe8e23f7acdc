// SAFEARRAYs: one-dimensional byte arrays (VT_UI1) for request and download
// chunks, string or variant vectors for the members returning lists, and
// two-dimensional variant arrays for tables of values (Recordset.GetRows).
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
  // A two-dimensional VT_VARIANT array with lower bounds 0 and `count1` by
  // `count2` elements, stored with the first index varying fastest (so
  // flat access by GetElement(i) walks (0,0), (1,0), ... (0,1), ...).
  // nullptr when the element count exceeds a 32-bit index.
  static std::unique_ptr<SafeArray> CreateMatrix(std::uint32_t count1, std::uint32_t count2);

  SafeArray(const SafeArray&) = delete;
  SafeArray& operator=(const SafeArray&) = delete;
  ~SafeArray();

  std::unique_ptr<SafeArray> Copy() const;

  VARTYPE ElementType() const { return elementType_; }
  std::uint32_t Dimensions() const { return matrix_ ? 2 : 1; }
  // Bounds of the first dimension; LowerBound(2)/UpperBound(2) of the second.
  std::int32_t LowerBound(std::uint32_t dimension = 1) const {
    return dimension == 1 ? lowerBound_ : 0;
  }
  std::int32_t UpperBound(std::uint32_t dimension = 1) const;
  // Elements in all dimensions.
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
  // Element (i, j) of a two-dimensional array; DISP_E_BADINDEX outside the
  // bounds or on a one-dimensional array.
  HRESULT GetElement(std::int32_t i, std::int32_t j, Variant* out) const;
  HRESULT PutElement(std::int32_t i, std::int32_t j, const Variant& value);

  // Changes the element count (SafeArrayRedim); E_FAIL while locked and
  // for two-dimensional arrays.
  HRESULT Resize(std::uint32_t count);

 private:
  SafeArray(VARTYPE elementType, std::int32_t lowerBound, std::uint32_t count);

  VARTYPE elementType_;
  std::int32_t lowerBound_;
  std::uint32_t count_;
  bool matrix_ = false;  // two dimensions of count1_ by count2_
  std::uint32_t count1_ = 0;
  std::uint32_t count2_ = 0;
  std::uint32_t locks_ = 0;
  const std::uint8_t* view_ = nullptr;  // the bytes of a ViewOfBytes array
  std::vector<std::uint8_t> bytes_;
  std::vector<Variant> elements_;
};

}  // namespace vant
