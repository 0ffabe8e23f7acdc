// Variant lifetime: construction, copy (objects AddRef'd, arrays deep-copied),
// move and clearing.
#include "platform/automation/variant.h"

#include <utility>

#include "platform/automation/safearray.h"
#include "platform/automation/unknown.h"

namespace vant {

Variant::Variant() = default;

Variant::Variant(const Variant& other) { CopyFrom(other); }

Variant::Variant(Variant&& other) noexcept { MoveFrom(other); }

Variant& Variant::operator=(const Variant& other) {
  if (this == &other) return *this;
  // Copy first, so that assigning a value contained in *this stays valid.
  Variant copy(other);
  Clear();
  MoveFrom(copy);
  return *this;
}

Variant& Variant::operator=(Variant&& other) noexcept {
  if (this == &other) return *this;
  Clear();
  MoveFrom(other);
  return *this;
}

Variant::~Variant() { Clear(); }

void Variant::Clear() {
  if (IUnknown* object = std::exchange(object_, nullptr)) object->Release();
  array_.reset();
  // Most variants cleared hold no text: a null string needs no reset.
  if (!text_.IsNull()) text_ = Bstr();
  ref_ = nullptr;
  scalar_.r8 = 0;
  vt_ = VT_EMPTY;
}

void Variant::CopyFrom(const Variant& other) {
  vt_ = other.vt_;
  scalar_ = other.scalar_;
  text_ = other.text_;
  ref_ = other.ref_;
  object_ = other.object_;
  if (object_ != nullptr) object_->AddRef();
  if (other.array_ == nullptr) return;
  array_ = other.array_->Copy();
  // An array that cannot be copied leaves an empty value rather than a
  // variant claiming an array it does not hold.
  if (array_ == nullptr) vt_ = VT_EMPTY;
}

void Variant::MoveFrom(Variant& other) noexcept {
  vt_ = std::exchange(other.vt_, VT_EMPTY);
  scalar_ = other.scalar_;
  // Only a variant just made or cleared takes a value, so its own string is
  // null already; most values moved hold none either.
  if (!other.text_.IsNull()) {
    text_ = std::move(other.text_);
    other.text_ = Bstr();
  }
  object_ = std::exchange(other.object_, nullptr);
  array_ = std::move(other.array_);
  ref_ = std::exchange(other.ref_, nullptr);
}

bool Variant::IsMissing() const { return vt_ == VT_ERROR && scalar_.scode == DISP_E_PARAMNOTFOUND; }

IDispatch* Variant::dispatch() const {
  // Only VT_DISPATCH values were stored from an IDispatch pointer, so the
  // downcast restores exactly the pointer that was given.
  return vt_ == VT_DISPATCH ? static_cast<IDispatch*>(object_) : nullptr;
}

IUnknown* Variant::unknown() const { return object_; }

std::unique_ptr<SafeArray> Variant::DetachArray() {
  std::unique_ptr<SafeArray> array = std::move(array_);
  if (vt_ & VT_ARRAY) vt_ = VT_EMPTY;
  return array;
}

const Variant& Variant::Deref() const {
  if ((vt_ & VT_BYREF) != 0 && ref_ != nullptr) return *ref_;
  return *this;
}

}  // namespace vant
