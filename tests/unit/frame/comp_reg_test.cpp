#include "module/comp_reg.h"

#include <gtest/gtest.h>

#include "module/class_table.h"
#include "unit/frame/frame_test_env.h"

namespace vant::frame {
namespace {

using testing::ScopedRegistry;

ComPtr<IComponentRegistrar> MakeRegistrar() {
  ComPtr<IComponentRegistrar> registrar;
  EXPECT_EQ(CreateCompReg(IComponentRegistrar::kIid, registrar.ReceiveVoid()), S_OK);
  return registrar;
}

std::u16string Element(const Variant& array, std::int32_t index) {
  Variant item;
  EXPECT_EQ(array.array()->GetElement(index, &item), S_OK);
  return item.bstr().str();
}

TEST(CompReg, GetComponentsListsEveryClassWithItsDescription) {
  const ComPtr<IComponentRegistrar> registrar = MakeRegistrar();
  Variant ids;
  Variant texts;
  ASSERT_EQ(registrar->GetComponents(&ids, &texts), S_OK);
  ASSERT_NE(ids.array(), nullptr);
  ASSERT_NE(texts.array(), nullptr);
  const std::span<const ClassInfo> classes = CreatableClasses();
  ASSERT_EQ(ids.array()->Count(), classes.size());
  ASSERT_EQ(texts.array()->Count(), classes.size());
  for (std::int32_t i = 0; i < static_cast<std::int32_t>(classes.size()); ++i) {
    EXPECT_EQ(Element(ids, i), FormatGuidW(classes[i].clsid));
    EXPECT_EQ(Element(texts, i), classes[i].description);
  }
  EXPECT_EQ(registrar->GetComponents(nullptr, &texts), E_POINTER);
  EXPECT_EQ(registrar->GetComponents(&ids, nullptr), E_POINTER);
}

TEST(CompReg, GetComponentsLateBoundReturnsBothArrays) {
  const ComPtr<IComponentRegistrar> registrar = MakeRegistrar();
  DISPID id = 0;
  ASSERT_EQ(registrar->GetIDsOfNames(u"getcomponents", &id), S_OK);
  DispParams params;
  Variant result;
  ASSERT_EQ(registrar->Invoke(id, DISPATCH_METHOD, params, &result), S_OK);
  ASSERT_NE(result.array(), nullptr);
  ASSERT_EQ(result.array()->Count(), 2u);
  Variant ids;
  Variant texts;
  ASSERT_EQ(result.array()->GetElement(0, &ids), S_OK);
  ASSERT_EQ(result.array()->GetElement(1, &texts), S_OK);
  ASSERT_NE(ids.array(), nullptr);
  EXPECT_EQ(Element(ids, 0), FormatGuidW(CreatableClasses()[0].clsid));
  EXPECT_EQ(Element(texts, 0), CreatableClasses()[0].description);
}

TEST(CompReg, RegistersAndRemovesClassesAndAlwaysSucceedsPerComponent) {
  const ScopedRegistry reg;
  const ComPtr<IComponentRegistrar> registrar = MakeRegistrar();
  const std::u16string uploadKey =
      u"HKEY_CLASSES_ROOT\\CLSID\\{9B739684-14D2-447F-865E-28E21576139A}";
  EXPECT_EQ(registrar->Attach(Bstr(u"anything")), S_OK);

  EXPECT_EQ(registrar->RegisterComponent(Bstr(u"{9b739684-14d2-447f-865e-28e21576139a}")), S_OK);
  EXPECT_TRUE(reg.Read().HasKey(uploadKey));
  EXPECT_FALSE(reg.Read().HasKey(u"HKEY_CLASSES_ROOT\\VANT.Progress"));
  EXPECT_EQ(registrar->UnregisterComponent(Bstr(u"{9B739684-14D2-447F-865E-28E21576139A}")), S_OK);
  EXPECT_FALSE(reg.Read().HasKey(uploadKey));
  EXPECT_EQ(registrar->RegisterComponent(Bstr(u"not a class identifier")), S_OK);
  EXPECT_EQ(registrar->RegisterComponent(Bstr(u"{01234567-89AB-CDEF-0123-456789ABCDEF}")), S_OK);

  EXPECT_EQ(registrar->RegisterAll(), S_OK);
  for (const ClassInfo& info : CreatableClasses()) {
    EXPECT_TRUE(reg.Read().HasKey(u"HKEY_CLASSES_ROOT\\CLSID\\" + FormatGuidW(info.clsid)));
  }
  EXPECT_FALSE(reg.Read().HasKey(u"HKEY_CLASSES_ROOT\\TypeLib"));
  EXPECT_EQ(registrar->UnregisterAll(), S_OK);
  EXPECT_FALSE(reg.Read().HasKey(uploadKey));
}

}  // namespace
}  // namespace vant::frame
