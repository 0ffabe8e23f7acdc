#include "form/form_element_collection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "form/form_element_multi_collection.h"
#include "unit/form/form_test_env.h"

namespace vant::form {
namespace {

using testing::FormTest;
using testing::TakeReport;
using testing::U16;

std::string Text(const Bstr& b) { return Utf16ToUtf8(b.view()); }

// Name of an element or collection reached through a variant or dispatch.
std::string NameOf(IDispatch* object) {
  Variant name;
  DispParams none;
  DISPID id = 0;
  if (Failed(object->GetIDsOfNames(u"Name", &id))) return "<no Name>";
  if (Failed(object->Invoke(id, DISPATCH_PROPERTYGET, none, &name))) return "<failed>";
  return Text(name.bstr());
}

std::vector<std::string> Enumerate(IUnknown* enumerator) {
  ComPtr<IEnumVARIANT> items;
  EXPECT_EQ(enumerator->QueryInterface(IID_IEnumVARIANT, items.ReceiveVoid()), S_OK);
  std::vector<std::string> names;
  Variant item;
  std::uint32_t fetched = 0;
  while (items->Next(1, &item, &fetched) == S_OK) names.push_back(NameOf(item.dispatch()));
  return names;
}

class CollectionTest : public FormTest {
 protected:
  ComPtr<CFormElementCollection> Collection(std::vector<ComPtr<CFormElement>> elements) {
    auto collection = CFormElementCollection::Create(flag_);
    for (const auto& element : elements) collection->Add(element.get());
    return collection;
  }
};

TEST_F(CollectionTest, ItemIndexRules) {
  auto collection =
      Collection({FieldElement("Tag", "a"), FieldElement("TAG", "b"), FieldElement("tag", "c")});
  Variant byRefTarget = Variant::I4(2);
  struct Row {
    const char* name;
    Variant index;
    std::string expected;  // "text:…", "element:…", or the report / status
  };
  const Row rows[] = {
      {"0 joins all values", Variant::I4(0), "text:a, b, c"},
      {"0.0 default", Variant::R8(0.0), "text:a, b, c"},
      {"1", Variant::I4(1), "element:Tag"},
      {"3", Variant::I2(3), "element:tag"},
      {"\"2\"", Variant::String(Bstr(u"2")), "element:TAG"},
      {"by reference", Variant::ByRef(&byRefTarget), "element:TAG"},
      {"Count + 1", Variant::I4(4), "51"},
      {"-1", Variant::I4(-1), "51"},
      {"INT_MIN", Variant::I4(INT32_MIN), "51"},
      {"not a number", Variant::String(Bstr(u"abc")), "status, no report"},
  };
  for (const Row& row : rows) {
    flag_ = std::make_shared<frame::ErrorFlag>();
    collection->SetErrorFlagLink(flag_);
    Variant out;
    const HRESULT hr = collection->get_Item(row.index, &out);
    std::string got;
    if (Succeeded(hr)) {
      got = out.vt() == VT_BSTR ? "text:" + Text(out.bstr()) : "element:" + NameOf(out.dispatch());
    } else {
      const std::string report = TakeReport();
      got = report == "<none>" && hr == DISP_E_TYPEMISMATCH ? "status, no report" : report;
    }
    EXPECT_EQ(got, row.expected) << row.name;
  }
  std::int32_t count = 0;
  collection->get_Count(&count);
  EXPECT_EQ(count, 3);
  Bstr name;
  collection->get_Name(&name);
  EXPECT_EQ(Text(name), "Tag");
  EXPECT_EQ(collection->get_Item(Variant::I4(1), nullptr), E_POINTER);
}

TEST_F(CollectionTest, ForwardingGoesToTheLastFileAndNameValueToTheFirst) {
  auto field = FieldElement("doc", "note");
  auto first = FileElement("one.txt", "1", "doc");
  first->SetFilePath(u"C:\\c\\one.txt");
  auto second = FileElement("two.txt", "22", "doc");
  auto collection = Collection({field, first, second});
  Bstr text;
  std::int32_t length = 0;
  collection->get_FileName(&text);
  EXPECT_EQ(Text(text), "two.txt");
  collection->get_FileLen(&length);
  EXPECT_EQ(length, 2);
  collection->get_Value(&text);
  EXPECT_EQ(Text(text), "note");
  Variant item;
  ASSERT_EQ(collection->get_Item(Variant::I4(2), &item), S_OK);
  EXPECT_EQ(NameOf(item.dispatch()), "doc");
  Variant joined;
  collection->get_Item(Variant::I4(0), &joined);
  EXPECT_EQ(Text(joined.bstr()), "note, C:\\c\\one.txt, ");
  ASSERT_EQ(collection->Save(Bstr(u""), VARIANT_TRUE, &text), S_OK);
  EXPECT_EQ(text.str(), Win("up/two.txt"));
  // A forwarded failure is the element's own.
  EXPECT_EQ(collection->Save(Bstr(u""), VARIANT_TRUE, &text), E_FAIL);
  EXPECT_EQ(TakeReport(), "46");
}

TEST_F(CollectionTest, FieldsOnlyForwardToTheFirstField) {
  auto collection = Collection({FieldElement("f", "x"), FieldElement("f", "y")});
  Bstr out;
  EXPECT_EQ(collection->Save(Bstr(u""), VARIANT_TRUE, &out), E_FAIL);
  EXPECT_EQ(TakeReport(), "44|f");
}

TEST_F(CollectionTest, AnEmptyCollectionReportsNoElement) {
  auto collection = Collection({});
  Bstr out;
  std::int32_t number = 0;
  EXPECT_EQ(collection->get_FileName(&out), E_FAIL);
  EXPECT_EQ(TakeReport(), "52");
  flag_ = std::make_shared<frame::ErrorFlag>();
  collection->SetErrorFlagLink(flag_);
  EXPECT_EQ(collection->get_FileLen(&number), E_FAIL);
  EXPECT_EQ(collection->get_Name(&out), E_FAIL);
  EXPECT_EQ(TakeReport(), "52") << "first report only";
}

TEST_F(CollectionTest, EnumerationIsASnapshotInArrivalOrder) {
  auto collection = Collection({FieldElement("x", "1"), FileElement("f.txt", "d", "X")});
  ComPtr<IUnknown> enumerator;
  ASSERT_EQ(collection->get__NewEnum(enumerator.Receive()), S_OK);
  collection->Add(FieldElement("late", "3").get());
  EXPECT_EQ(Enumerate(enumerator.get()), (std::vector<std::string>{"x", "X"}));
  EXPECT_EQ(collection->get__NewEnum(nullptr), E_POINTER);
}

TEST_F(CollectionTest, CleanupAndSettingsReachEveryElement) {
  auto a = FileElement("a.txt");
  auto b = FileElement("b.txt");
  auto collection = Collection({a, FieldElement("f", "x"), b});
  ASSERT_EQ(a->Save(Bstr(u""), VARIANT_TRUE, nullptr), S_OK);
  collection->SetDefaultPath(Win("other"));
  collection->SetAutoMakeFolder(true);
  EXPECT_EQ(b->Item().DefaultPath, Win("other"));
  EXPECT_TRUE(b->Item().AutoMakeFolder);
  EXPECT_EQ(collection->DeleteAllSavedFiles(DeleteModeTempOnly), S_OK);
  EXPECT_TRUE(std::filesystem::exists(Host("up/a.txt"))) << "saved files stay";
  EXPECT_FALSE(std::filesystem::exists(testing::HostPath(b->Item().TempFilePath)));
  EXPECT_EQ(collection->DeleteAllSavedFiles(DeleteModeAll), S_OK);
  EXPECT_FALSE(std::filesystem::exists(Host("up/a.txt")));
}

class MultiTest : public CollectionTest {
 protected:
  void SetUp() override {
    CollectionTest::SetUp();
    form_ = CFormElementMultiCollection::Create();
    form_->SetErrorFlagLink(flag_);
  }
  std::string ItemName(const Variant& index) {
    ComPtr<IDispatch> found;
    if (Failed(form_->get_Item(index, found.Receive()))) return "<failed>";
    if (found.get() == static_cast<IFormElementCollection*>(form_->PlaceholderCollection())) {
      return "<placeholder>";
    }
    return NameOf(found.get());
  }
  ComPtr<CFormElementMultiCollection> form_;
};

TEST_F(MultiTest, NamesInAnyCaseShareOneSortedEntry) {
  for (const char* name : {"zeta", "Alpha", "ALPHA", "mid", "alpha"}) {
    form_->Add(FieldElement(name, name).get());
  }
  form_->Add(FieldElement("\u00e9t\u00e9", "1").get());
  form_->Add(FieldElement("\u00c9T\u00c9", "2").get());
  std::int32_t count = 0;
  form_->get_Count(&count);
  EXPECT_EQ(count, 4);
  ComPtr<IUnknown> enumerator;
  ASSERT_EQ(form_->get__NewEnum(enumerator.Receive()), S_OK);
  EXPECT_EQ(Enumerate(enumerator.get()),
            (std::vector<std::string>{"Alpha", "mid", "zeta", "\u00e9t\u00e9"}));
  ASSERT_NE(form_->Find(u"ALPHA"), nullptr);
  EXPECT_EQ(form_->Find(u"alpha")->Elements().size(), 3u);
  EXPECT_EQ(form_->Find(u"\u00e9t\u00e9")->Elements().size(), 2u);
}

TEST_F(MultiTest, ItemLookupRules) {
  form_->Add(FieldElement("b", "1").get());
  form_->Add(FieldElement("A", "2").get());
  Variant byRef = Variant::String(Bstr(u"B"));
  struct Row {
    const char* name;
    Variant index;
    const char* expected;
  };
  const Row rows[] = {
      {"name, other case", Variant::String(Bstr(u"a")), "A"},
      {"by reference", Variant::ByRef(&byRef), "b"},
      {"missing name", Variant::String(Bstr(u"nope")), "<placeholder>"},
      {"default argument", Variant::String(Bstr(u"_KWZ_UI_EXP_")), "<placeholder>"},
      {"0", Variant::I4(0), "A"},
      {"1", Variant::I4(1), "A"},
      {"2", Variant::I2(2), "b"},
      {"Count + 1", Variant::I4(3), "<placeholder>"},
      {"-1 reads as 65535", Variant::I4(-1), "<placeholder>"},
      {"65538 reads as 2", Variant::I4(65538), "b"},
      {"2.0", Variant::R8(2.0), "b"},
      {"empty", Variant(), "A"},
      {"null", Variant::Null(), "<placeholder>"},
  };
  for (const Row& row : rows) EXPECT_EQ(ItemName(row.index), row.expected) << row.name;
  EXPECT_EQ(form_->get_Item(Variant::I4(1), nullptr), E_POINTER);
}

TEST_F(MultiTest, ThePlaceholderIsOneEmptyFieldThatCannotBeSaved) {
  ComPtr<IDispatch> found;
  ASSERT_EQ(form_->get_Item(Variant::I4(1), found.Receive()), S_OK);
  auto* placeholder = form_->PlaceholderCollection();
  std::int32_t count = 0;
  Bstr value(u"x");
  placeholder->get_Count(&count);
  placeholder->get_Value(&value);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(Text(value), "");
  EXPECT_EQ(placeholder->Save(Bstr(u""), VARIANT_TRUE, &value), E_FAIL);
  EXPECT_EQ(TakeReport(), "44|");
  EXPECT_TRUE(flag_->IsSet()) << "the placeholder reports through the upload's flag";

  form_->Add(FieldElement("_kwz_ui_exp_", "sent").get());
  ASSERT_EQ(form_->get_Item(Variant::String(Bstr(u"_KWZ_UI_EXP_")), found.Receive()), S_OK);
  EXPECT_EQ(NameOf(found.get()), "_kwz_ui_exp_");
}

TEST_F(MultiTest, DefaultMemberThroughLateBinding) {
  form_->Add(FieldElement("tag", "a").get());
  form_->Add(FieldElement("TAG", "b").get());
  DispParams args;
  args.args.push_back(Variant::String(Bstr(u"Tag")));
  Variant result;
  ASSERT_EQ(form_->Invoke(DISPID_VALUE, DISPATCH_PROPERTYGET, args, &result), S_OK);
  ASSERT_EQ(result.vt(), VT_DISPATCH);
  DispParams none;
  Variant joined;
  ASSERT_EQ(result.dispatch()->Invoke(DISPID_VALUE, DISPATCH_PROPERTYGET, none, &joined), S_OK);
  EXPECT_EQ(Text(joined.bstr()), "a, b");
}

TEST_F(MultiTest, FirstFileAndFormWideOperations) {
  auto field = FieldElement("a", "x");
  auto first = FileElement("1.txt", "1", "z");
  auto second = FileElement("2.txt", "2", "b");
  form_->Add(field.get());
  EXPECT_EQ(form_->FirstFileElement(), nullptr);
  form_->Add(first.get());
  form_->Add(second.get());
  EXPECT_EQ(form_->FirstFileElement(), first.get()) << "arrival order, not key order";
  form_->SetDefaultPath(Win("out"));
  form_->SetAutoMakeFolder(true);
  EXPECT_EQ(first->Item().DefaultPath, Win("out"));
  ASSERT_EQ(first->Save(Bstr(u""), VARIANT_TRUE, nullptr), S_OK);
  EXPECT_TRUE(std::filesystem::exists(Host("out/1.txt")));
  EXPECT_EQ(form_->DeleteAllSavedFiles(DeleteModeAll), S_OK);
  EXPECT_FALSE(std::filesystem::exists(Host("out/1.txt")));
  EXPECT_FALSE(std::filesystem::exists(testing::HostPath(second->Item().TempFilePath)));
}

TEST(FormKeyTest, UpperCasesLettersOfCommonScripts) {
  EXPECT_EQ(FormKey(u"abc_09"), u"ABC_09");
  EXPECT_EQ(FormKey(u"\u00e0\u00ff\u0101\u013a\u017e"), u"\u00c0\u0178\u0100\u0139\u017d");
  EXPECT_EQ(FormKey(u"\u03b1\u03c2\u0430\u0451\uff41"), u"\u0391\u03a3\u0410\u0401\uff21");
  EXPECT_EQ(FormKey(u"\u00df\u00f7\u0131\u4e2d"), u"\u00df\u00f7\u0131\u4e2d");
}

}  // namespace
}  // namespace vant::form
