// Variant lifetime: construction, copy (objects AddRef'd, arrays deep-copied),
// move and clearing.
#include "platform/automation/variant.h"

#include <utility>

#include "platform/automation/safearray.h"
#include "platform/automation/unknown.h"

namespace vant {

Variant::Variant(const Variant& other) { CopyFrom(other); }

Variant& Variant::operator=(const Variant& other) {
  if (this == &other) return *this;
  // Copy first, so that assigning a value contained in *this stays valid.
  Variant copy(other);
  Clear();
  MoveFrom(copy);
  return *this;
}

void Variant::ReleaseObject() {
  if (IUnknown* object = std::exchange(object_, nullptr)) object->Release();
}

void Variant::ArrayDeleter::operator()(SafeArray* array) const { delete array; }

void Variant::CopyFrom(const Variant& other) {
  vt_ = other.vt_;
  scalar_ = other.scalar_;
  text_ = other.text_;
  ref_ = other.ref_;
  object_ = other.object_;
  if (object_ != nullptr) object_->AddRef();
  if (other.array_ == nullptr) return;
  array_.reset(other.array_->Copy().release());
  // An array that cannot be copied leaves an empty value rather than a
  // variant claiming an array it does not hold.
  if (array_ == nullptr) vt_ = VT_EMPTY;
}

IDispatch* Variant::dispatch() const {
  // Only VT_DISPATCH values were stored from an IDispatch pointer, so the
  // downcast restores exactly the pointer that was given.
  return vt_ == VT_DISPATCH ? static_cast<IDispatch*>(object_) : nullptr;
}

IUnknown* Variant::unknown() const { return object_; }

std::unique_ptr<SafeArray> Variant::DetachArray() {
  std::unique_ptr<SafeArray> array(array_.release());
  if (vt_ & VT_ARRAY) vt_ = VT_EMPTY;
  return array;
}

}  // namespace vant
