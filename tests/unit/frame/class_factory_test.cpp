#include "module/module_exports.h"

#include <gtest/gtest.h>

#include "frame/class_creators.h"
#include "module/class_table.h"
#include "module/comp_reg.h"
#include "platform/automation/automation.h"

namespace vant::frame {
namespace {

// {9B739684-14D2-447F-865E-28E21576139A} has no creator in this test binary.
constexpr CLSID kFileUploadClsid =
    MakeGuid(0x9B739684, 0x14D2, 0x447F, 0x86, 0x5E, 0x28, 0xE2, 0x15, 0x76, 0x13, 0x9A);
// {F9B424D4-51A1-40E0-8EB1-1B9097AF9811} gets the test creator below.
constexpr CLSID kProgressClsid =
    MakeGuid(0xF9B424D4, 0x51A1, 0x40E0, 0x8E, 0xB1, 0x1B, 0x90, 0x97, 0xAF, 0x98, 0x11);
constexpr CLSID kUnknownClsid =
    MakeGuid(0x01234567, 0x89AB, 0xCDEF, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF);

struct ITestThing : IUnknown {
  static constexpr IID kIid =
      MakeGuid(0x7E57AAAA, 0x0000, 0x0000, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01);
};

class TestThing : public ComObject<TestThing, ITestThing> {
 private:
  ModuleLock lock_;
};

HRESULT CreateTestThing(const IID& iid, void** out) {
  return TestThing::Create()->QueryInterface(iid, out);
}

// The creator is registered once for the whole binary, as a component's
// static registrar would.
const ClassCreatorRegistrar kRegistrar(u"Progress", &CreateTestThing);

ComPtr<IClassFactory> FactoryFor(const CLSID& clsid) {
  ComPtr<IClassFactory> factory;
  EXPECT_EQ(GetClassObject(clsid, IID_IClassFactory, factory.ReceiveVoid()), S_OK);
  return factory;
}

TEST(ClassFactory, UnavailableClasses) {
  const struct {
    const char* what;
    CLSID clsid;
  } rows[] = {{"not in the class table", kUnknownClsid},
              {"in the table, no creator built", kFileUploadClsid}};
  for (const auto& row : rows) {
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(GetClassObject(row.clsid, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE)
        << row.what;
    EXPECT_EQ(out, nullptr) << row.what;
  }
  EXPECT_EQ(GetClassObject(kProgressClsid, IID_IClassFactory, nullptr), E_POINTER);
}

TEST(ClassFactory, CreatorsAreAcceptedOnlyOnceAndFoundOnlyForTableClasses) {
  EXPECT_TRUE(RegisterClassCreator(u"NotInTheTable", &CreateTestThing));
  EXPECT_EQ(FindClassCreator(kUnknownClsid), nullptr);
  EXPECT_FALSE(RegisterClassCreator(u"Progress", &CreateTestThing));  // already has one
  EXPECT_FALSE(RegisterClassCreator(u"FileUpload", nullptr));
  EXPECT_EQ(FindClassCreator(kProgressClsid), &CreateTestThing);
  EXPECT_NE(FindClassCreator(kCompRegClsid), nullptr);
}

TEST(ClassFactory, ObjectsAndServerLocksKeepTheModuleLoaded) {
  ASSERT_EQ(ModuleLockCount(), 0);
  EXPECT_EQ(CanUnloadNow(), S_OK);
  ComPtr<IClassFactory> factory = FactoryFor(kProgressClsid);
  ASSERT_TRUE(factory);
  EXPECT_EQ(CanUnloadNow(), S_OK) << "a class object alone does not lock the module";

  ComPtr<ITestThing> thing;
  ASSERT_EQ(factory->CreateInstance(nullptr, ITestThing::kIid, thing.ReceiveVoid()), S_OK);
  EXPECT_EQ(ModuleLockCount(), 1);
  EXPECT_EQ(CanUnloadNow(), S_FALSE);
  thing.Reset();
  EXPECT_EQ(CanUnloadNow(), S_OK);

  EXPECT_EQ(factory->LockServer(true), S_OK);
  EXPECT_EQ(CanUnloadNow(), S_FALSE);
  EXPECT_EQ(factory->LockServer(false), S_OK);
  EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST(ClassFactory, CreateInstanceFailures) {
  ComPtr<IClassFactory> factory = FactoryFor(kProgressClsid);
  ASSERT_TRUE(factory);
  void* out = nullptr;
  EXPECT_EQ(factory->CreateInstance(factory.get(), ITestThing::kIid, &out), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(ModuleLockCount(), 0) << "a failed creation leaves no object behind";
  EXPECT_EQ(GetClassObject(kProgressClsid, IID_IDispatch, &out), E_NOINTERFACE);
}

TEST(ClassFactory, TheRegistrarIsCreatableWithoutARegistrar) {
  ComPtr<IClassFactory> factory = FactoryFor(kCompRegClsid);
  ASSERT_TRUE(factory);
  ComPtr<IComponentRegistrar> registrar;
  ASSERT_EQ(factory->CreateInstance(nullptr, IComponentRegistrar::kIid, registrar.ReceiveVoid()),
            S_OK);
  EXPECT_EQ(CanUnloadNow(), S_FALSE);
  ComPtr<IDispatch> dispatch;
  EXPECT_EQ(registrar.As(IID_IDispatch, &dispatch), S_OK);
}

}  // namespace
}  // namespace vant::frame
