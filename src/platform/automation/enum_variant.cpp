// The standard variant enumerator over a snapshot.
#include "platform/automation/enum_variant.h"

#include <algorithm>
#include <memory>
#include <new>
#include <utility>

#include "platform/automation/object.h"

namespace vant {
namespace {

using Snapshot = std::shared_ptr<const std::vector<Variant>>;

// Clones share the snapshot (it never changes) and keep their own position.
class VariantEnumerator final : public ComObject<VariantEnumerator, IEnumVARIANT> {
 public:
  VariantEnumerator(Snapshot items, std::size_t position)
      : items_(std::move(items)), position_(position) {}

  HRESULT Next(std::uint32_t count, Variant* out, std::uint32_t* fetched) override {
    if (fetched != nullptr) *fetched = 0;
    if (count == 0) return S_OK;
    if (out == nullptr) return E_POINTER;
    const std::size_t n = std::min<std::size_t>(count, items_->size() - position_);
    try {
      for (std::size_t i = 0; i < n; ++i) out[i] = (*items_)[position_ + i];
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
    position_ += n;
    if (fetched != nullptr) *fetched = static_cast<std::uint32_t>(n);
    return n == count ? S_OK : S_FALSE;
  }

  HRESULT Skip(std::uint32_t count) override {
    const std::size_t left = items_->size() - position_;
    position_ += std::min<std::size_t>(count, left);
    return count <= left ? S_OK : S_FALSE;
  }

  HRESULT Reset() override {
    position_ = 0;
    return S_OK;
  }

  HRESULT Clone(IEnumVARIANT** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    try {
      *out = Create(items_, position_).Detach();
      return S_OK;
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
  }

 private:
  Snapshot items_;
  std::size_t position_;
};

}  // namespace

ComPtr<IEnumVARIANT> MakeVariantEnumerator(std::vector<Variant> items) {
  try {
    auto snapshot = std::make_shared<const std::vector<Variant>>(std::move(items));
    return ComPtr<IEnumVARIANT>::Attach(VariantEnumerator::Create(std::move(snapshot), 0).Detach());
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace vant
