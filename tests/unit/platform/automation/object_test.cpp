#include "platform/automation/object.h"

#include <gtest/gtest.h>

#include "platform/automation/automation.h"

namespace vant {
namespace {

constexpr IID kForeignIid = MakeGuid(0x0BADF00D, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10);
constexpr IID kUnknownIid = MakeGuid(0x12345678, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11);

// Two interfaces on one object, plus one answered through the extra hook.
class TwoFaced : public ComObject<TwoFaced, ISupportErrorInfo, IDispatch> {
 public:
  explicit TwoFaced(int* deleted) : deleted_(deleted) {}
  ~TwoFaced() override { ++*deleted_; }

  HRESULT InterfaceSupportsErrorInfo(const IID& iid) override {
    return iid == IID_IDispatch ? S_OK : S_FALSE;
  }
  HRESULT GetIDsOfNames(std::u16string_view, DISPID*) override { return DISP_E_UNKNOWNNAME; }
  HRESULT Invoke(DISPID, std::uint16_t, DispParams&, Variant*) override {
    return DISP_E_MEMBERNOTFOUND;
  }

 protected:
  void* FindExtraInterface(const IID& iid) override {
    return iid == kForeignIid ? static_cast<IDispatch*>(this) : nullptr;
  }

 private:
  int* deleted_;
};

IUnknown* Identity(IUnknown* p) {
  void* out = nullptr;
  EXPECT_EQ(p->QueryInterface(IID_IUnknown, &out), S_OK);
  auto* unknown = static_cast<IUnknown*>(out);
  unknown->Release();
  return unknown;
}

TEST(ComObjectTest, QueryInterface) {
  int deleted = 0;
  auto object = TwoFaced::Create(&deleted);
  IDispatch* dispatch = object.get();
  ISupportErrorInfo* support = object.get();
  EXPECT_EQ(Identity(dispatch), Identity(support)) << "one IUnknown identity from every interface";

  struct Row {
    const char* name;
    IID iid;
    HRESULT status;
  };
  const Row rows[] = {
      {"IUnknown", IID_IUnknown, S_OK},
      {"IDispatch", IID_IDispatch, S_OK},
      {"ISupportErrorInfo", IID_ISupportErrorInfo, S_OK},
      {"extra hook", kForeignIid, S_OK},
      {"unknown iid", kUnknownIid, E_NOINTERFACE},
      {"IEnumVARIANT", IID_IEnumVARIANT, E_NOINTERFACE},
  };
  for (const Row& row : rows) {
    void* out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(dispatch->QueryInterface(row.iid, &out), row.status) << row.name;
    if (Failed(row.status)) {
      EXPECT_EQ(out, nullptr) << row.name;
      continue;
    }
    ASSERT_NE(out, nullptr) << row.name;
    static_cast<IUnknown*>(out)->Release();
  }
  void* out = nullptr;
  ASSERT_EQ(support->QueryInterface(IID_IDispatch, &out), S_OK);
  EXPECT_EQ(out, static_cast<void*>(dispatch));
  static_cast<IDispatch*>(out)->Release();
  EXPECT_EQ(dispatch->QueryInterface(IID_IDispatch, nullptr), E_POINTER);
  EXPECT_EQ(deleted, 0);
}

TEST(ComObjectTest, DeletedExactlyAtTheLastRelease) {
  int deleted = 0;
  TwoFaced* raw = TwoFaced::Create(&deleted).Detach();
  EXPECT_EQ(raw->AddRef(), 2u);
  void* viaQuery = nullptr;
  ASSERT_EQ(raw->QueryInterface(IID_ISupportErrorInfo, &viaQuery), S_OK);
  EXPECT_EQ(raw->Release(), 2u);
  EXPECT_EQ(static_cast<ISupportErrorInfo*>(viaQuery)->Release(), 1u);
  EXPECT_EQ(deleted, 0);
  EXPECT_EQ(raw->Release(), 0u);
  EXPECT_EQ(deleted, 1);
}

TEST(ComObjectTest, ComPtrOwnsOneReference) {
  int deleted = 0;
  {
    ComPtr<TwoFaced> a = TwoFaced::Create(&deleted);
    ComPtr<TwoFaced> b = a;
    ComPtr<TwoFaced> c = std::move(b);
    ComPtr<IDispatch> d;
    ASSERT_EQ(a.As(IID_IDispatch, &d), S_OK);
    a.Reset();
    c.Reset();
    EXPECT_EQ(deleted, 0);
  }
  EXPECT_EQ(deleted, 1);
}

}  // namespace
}  // namespace vant
