// ComObject: the reference counting and QueryInterface every automation
// object needs. A class derives from ComObject<Self, IFoo, IBar...>; each
// interface names its identifier through IidOf<I>() (I::kIid by default).
#pragma once

#include <atomic>
#include <cstdint>
#include <new>
#include <type_traits>
#include <utility>

#include "platform/automation/com_ptr.h"
#include "platform/automation/unknown.h"

namespace vant {

template <class I>
constexpr const IID& IidOf() {
  return I::kIid;
}
template <>
constexpr const IID& IidOf<IUnknown>() {
  return IID_IUnknown;
}
template <>
constexpr const IID& IidOf<IDispatch>() {
  return IID_IDispatch;
}
template <>
constexpr const IID& IidOf<IEnumVARIANT>() {
  return IID_IEnumVARIANT;
}
template <>
constexpr const IID& IidOf<ISupportErrorInfo>() {
  return IID_ISupportErrorInfo;
}
template <>
constexpr const IID& IidOf<IErrorInfo>() {
  return IID_IErrorInfo;
}
template <>
constexpr const IID& IidOf<ICreateErrorInfo>() {
  return IID_ICreateErrorInfo;
}
template <>
constexpr const IID& IidOf<IClassFactory>() {
  return IID_IClassFactory;
}

template <class Self, class... Interfaces>
class ComObject : public Interfaces... {
 public:
  std::uint32_t AddRef() override { return ++refs_; }

  std::uint32_t Release() override {
    const std::uint32_t left = --refs_;
    if (left == 0) delete static_cast<Self*>(this);
    return left;
  }

  HRESULT QueryInterface(const IID& iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = FindInterface(iid);
    if (*out == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }

  // Creates an object holding one reference.
  template <class... Args>
  static ComPtr<Self> Create(Args&&... args) {
    return ComPtr<Self>::Attach(new Self(std::forward<Args>(args)...));
  }

 protected:
  ComObject() = default;
  ~ComObject() override = default;

  // Hook for interfaces not in the list (e.g. a foreign interface identifier
  // answered by one of ours). Returns the pointer without AddRef.
  virtual void* FindExtraInterface(const IID&) { return nullptr; }

 private:
  void* FindInterface(const IID& iid) {
    if (iid == IID_IUnknown) return FirstAsUnknown<Interfaces...>();
    void* found = nullptr;
    ((found == nullptr && (iid == IidOf<Interfaces>() ||
                           (iid == IID_IDispatch && std::is_base_of_v<IDispatch, Interfaces>))
          ? (found = static_cast<Interfaces*>(this), 0)
          : 0),
     ...);
    return found != nullptr ? found : FindExtraInterface(iid);
  }

  template <class First, class...>
  IUnknown* FirstAsUnknown() {
    return static_cast<First*>(this);
  }

  std::atomic<std::uint32_t> refs_{1};
};

}  // namespace vant
