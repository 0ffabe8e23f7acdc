#include "platform/automation/dispatch.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/automation/automation.h"
#include "unit/platform/automation/test_objects.h"

namespace vant {
namespace {

using testing::Describe;
using testing::SameValue;
using testing::ValueObject;

constexpr DISPID kCount = 1, kName = 2, kAdd = 3, kGreet = 4, kDescribe = 5, kForm = 6, kChild = 7,
                 kScale = 8, kFail = 9, kExplode = 10, kSecret = 11;
constexpr std::uint16_t kGetOrCall = DISPATCH_METHOD | DISPATCH_PROPERTYGET;

// A test interface with members of every kind the tables support.
struct ISample : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0x5A3C0E11, 0x2B7D, 0x4F10, 0x9A, 0x41, 0, 0x10, 0x5A, 1, 2, 3);
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT get_Item(Variant index, Variant* out) = 0;
  virtual HRESULT put_Item(Variant index, Variant value) = 0;
  virtual HRESULT get_Count(std::int32_t* out) = 0;
  virtual HRESULT get_Name(Bstr* out) = 0;
  virtual HRESULT put_Name(const Bstr& value) = 0;
  virtual HRESULT Add(std::int32_t a, std::int32_t b, std::int32_t* out) = 0;
  virtual HRESULT Greet(Bstr name, Bstr greeting, VARIANT_BOOL shout, Bstr* out) = 0;
  virtual HRESULT DescribeArg(Variant value, Bstr* out) = 0;
  virtual HRESULT get_Form(IDispatch** out) = 0;
  virtual HRESULT get_Child(Variant* out) = 0;
  virtual HRESULT Scale(double factor, double* out) = 0;
  virtual HRESULT Fail() = 0;
  virtual HRESULT Explode(Variant kind) = 0;
  virtual HRESULT put_Secret(std::int32_t value) = 0;
  virtual HRESULT get__NewEnum(IUnknown** out) = 0;
};

const InterfaceInfo& ISample::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&ISample::get_Item>(u"Item", DISPID_VALUE),
      Put<&ISample::put_Item>(u"Item", DISPID_VALUE),
      Get<&ISample::get_Count>(u"Count", kCount),
      Get<&ISample::get_Name>(u"Name", kName),
      Put<&ISample::put_Name>(u"Name", kName),
      Call<&ISample::Add>(u"Add", kAdd),
      Call<&ISample::Greet>(u"Greet", kGreet, {u"Hello", false}),
      Call<&ISample::DescribeArg>(u"Describe", kDescribe, {ParamDefault::Optional()}),
      Get<&ISample::get_Form>(u"Form", kForm),
      Get<&ISample::get_Child>(u"Child", kChild),
      Call<&ISample::Scale>(u"Scale", kScale, {2.5}),
      Call<&ISample::Fail>(u"Fail", kFail),
      Call<&ISample::Explode>(u"Explode", kExplode, {ParamDefault::Optional()}),
      Put<&ISample::put_Secret>(u"Secret", kSecret),
      Get<&ISample::get__NewEnum>(u"_NewEnum", DISPID_NEWENUM),
  };
  static const InterfaceInfo info{u"ISample", ISample::kIid, members};
  return info;
}

class Sample : public ComObject<Sample, DispatchImpl<ISample>> {
 public:
  HRESULT get_Item(Variant index, Variant* out) override {
    Bstr key;
    if (Failed(VariantToBstr(index, &key))) return DISP_E_TYPEMISMATCH;
    const auto it = items_.find(key.str());
    *out = it == items_.end() ? Variant() : it->second;
    return S_OK;
  }
  HRESULT put_Item(Variant index, Variant value) override {
    Bstr key;
    if (Failed(VariantToBstr(index, &key))) return DISP_E_TYPEMISMATCH;
    items_[key.str()] = value;
    return S_OK;
  }
  HRESULT get_Count(std::int32_t* out) override {
    ++countCalls;
    *out = static_cast<std::int32_t>(items_.size());
    return S_OK;
  }
  HRESULT get_Name(Bstr* out) override {
    *out = name_;
    return S_OK;
  }
  HRESULT put_Name(const Bstr& value) override {
    name_ = value;
    return S_OK;
  }
  HRESULT Add(std::int32_t a, std::int32_t b, std::int32_t* out) override {
    *out = a + b;
    return S_OK;
  }
  HRESULT Greet(Bstr name, Bstr greeting, VARIANT_BOOL shout, Bstr* out) override {
    const std::u16string text = greeting.str() + u", " + name.str();
    *out = Bstr(shout != VARIANT_FALSE ? ToUpperAscii(text) : text);
    return S_OK;
  }
  HRESULT DescribeArg(Variant value, Bstr* out) override {
    *out = Bstr(value.IsMissing() ? u"missing" : Utf8ToUtf16(Describe(value)));
    return S_OK;
  }
  HRESULT get_Form(IDispatch** out) override {
    if (!form) form = Sample::Create();
    *out = form.get();
    form->AddRef();
    return S_OK;
  }
  HRESULT get_Child(Variant* out) override {
    *out = child;
    return S_OK;
  }
  HRESULT Scale(double factor, double* out) override {
    *out = factor * 2;
    return S_OK;
  }
  HRESULT Fail() override { return E_ACCESSDENIED; }
  // Throws bad_alloc when kind is 1, another exception otherwise.
  HRESULT Explode(Variant kind) override {
    if (kind.vt() == VT_I4 && kind.i4() == 1) throw std::bad_alloc();
    throw std::runtime_error("member failed");
  }
  HRESULT put_Secret(std::int32_t value) override {
    secret = value;
    return S_OK;
  }
  HRESULT get__NewEnum(IUnknown** out) override {
    std::vector<Variant> values;
    for (const auto& entry : items_) values.push_back(entry.second);
    *out = MakeVariantEnumerator(std::move(values)).Detach();
    return S_OK;
  }

  int countCalls = 0;
  std::int32_t secret = 0;
  ComPtr<Sample> form;
  Variant child;

 private:
  std::map<std::u16string, Variant> items_;
  Bstr name_;
};

Variant Str(const char16_t* text) { return Variant::String(Bstr(text)); }

HRESULT Call(IDispatch* object, DISPID id, std::uint16_t flags, std::vector<Variant> args,
             Variant* result = nullptr) {
  DispParams params{std::move(args)};
  return object->Invoke(id, flags, params, result);
}

TEST(DispatchTest, ResolvesNamesInAnyLetterCase) {
  auto sample = Sample::Create();
  struct Row {
    const char16_t* name;
    HRESULT status;
    DISPID id;
  };
  const Row rows[] = {
      {u"Count", S_OK, kCount},
      {u"count", S_OK, kCount},
      {u"COUNT", S_OK, kCount},
      {u"item", S_OK, DISPID_VALUE},
      {u"_NEWENUM", S_OK, DISPID_NEWENUM},
      {u"name", S_OK, kName},
      {u"Counts", DISP_E_UNKNOWNNAME, DISPID_UNKNOWN},
      {u"", DISP_E_UNKNOWNNAME, DISPID_UNKNOWN},
  };
  for (const Row& row : rows) {
    DISPID id = 12345;
    EXPECT_EQ(sample->GetIDsOfNames(row.name, &id), row.status) << Utf16ToUtf8(row.name);
    EXPECT_EQ(id, row.id) << Utf16ToUtf8(row.name);
  }
  EXPECT_EQ(sample->GetIDsOfNames(u"Count", nullptr), E_POINTER);
}

TEST(DispatchTest, InvokeRules) {
  auto sample = Sample::Create();
  Variant referenced = Str(u"by reference");
  Variant referencedNumber = Variant::I2(4);
  struct Row {
    std::string name;
    DISPID id;
    std::uint16_t flags;
    std::vector<Variant> args;
    HRESULT status;
    Variant expected;
  };
  const std::vector<Row> rows = {
      {"method", kAdd, DISPATCH_METHOD, {Variant::I4(2), Variant::I4(3)}, S_OK, Variant::I4(5)},
      {"method called as get too",
       kAdd,
       kGetOrCall,
       {Variant::I4(2), Variant::I4(3)},
       S_OK,
       Variant::I4(5)},
      {"arguments coerced",
       kAdd,
       DISPATCH_METHOD,
       {Str(u" 2 "), Variant::R8(3.5)},
       S_OK,
       Variant::I4(6)},
      {"by-reference argument",
       kAdd,
       DISPATCH_METHOD,
       {Variant::ByRef(&referencedNumber), Variant::I4(1)},
       S_OK,
       Variant::I4(5)},
      {"too few", kAdd, DISPATCH_METHOD, {Variant::I4(2)}, DISP_E_BADPARAMCOUNT, {}},
      {"required passed as missing",
       kAdd,
       DISPATCH_METHOD,
       {Variant::I4(2), Variant::Missing()},
       DISP_E_PARAMNOTOPTIONAL,
       {}},
      {"too many for a number result",
       kAdd,
       DISPATCH_METHOD,
       {Variant::I4(1), Variant::I4(2), Variant::I4(3)},
       DISP_E_BADPARAMCOUNT,
       {}},
      {"type mismatch",
       kAdd,
       DISPATCH_METHOD,
       {Str(u"abc"), Variant::I4(1)},
       DISP_E_TYPEMISMATCH,
       {}},
      {"overflow reads as mismatch",
       kAdd,
       DISPATCH_METHOD,
       {Variant::R8(1e10), Variant::I4(1)},
       DISP_E_TYPEMISMATCH,
       {}},
      {"defaults for omitted", kGreet, DISPATCH_METHOD, {Str(u"Ann")}, S_OK, Str(u"Hello, Ann")},
      {"one default used",
       kGreet,
       DISPATCH_METHOD,
       {Str(u"Ann"), Str(u"Hi")},
       S_OK,
       Str(u"Hi, Ann")},
      {"missing takes the default",
       kGreet,
       DISPATCH_METHOD,
       {Str(u"Ann"), Variant::Missing(), Variant::Bool(true)},
       S_OK,
       Str(u"HELLO, ANN")},
      {"boolean from text",
       kGreet,
       DISPATCH_METHOD,
       {Str(u"Ann"), Str(u"Hi"), Str(u"true")},
       S_OK,
       Str(u"HI, ANN")},
      {"required string omitted", kGreet, DISPATCH_METHOD, {}, DISP_E_BADPARAMCOUNT, {}},
      {"optional omitted arrives missing", kDescribe, DISPATCH_METHOD, {}, S_OK, Str(u"missing")},
      {"optional passed missing",
       kDescribe,
       DISPATCH_METHOD,
       {Variant::Missing()},
       S_OK,
       Str(u"missing")},
      {"variant passed as is", kDescribe, DISPATCH_METHOD, {Variant::I2(4)}, S_OK, Str(u"I2 4")},
      {"variant by reference dereferenced",
       kDescribe,
       DISPATCH_METHOD,
       {Variant::ByRef(&referenced)},
       S_OK,
       Str(u"BSTR \"by reference\"")},
      {"real default", kScale, DISPATCH_METHOD, {}, S_OK, Variant::R8(5)},
      {"real given", kScale, DISPATCH_METHOD, {Variant::I4(4)}, S_OK, Variant::R8(8)},
      {"get", kCount, DISPATCH_PROPERTYGET, {}, S_OK, Variant::I4(0)},
      {"put on a get-only property",
       kCount,
       DISPATCH_PROPERTYPUT,
       {Variant::I4(1)},
       DISP_E_MEMBERNOTFOUND,
       {}},
      {"get on a put-only property", kSecret, DISPATCH_PROPERTYGET, {}, DISP_E_MEMBERNOTFOUND, {}},
      {"put on a method", kAdd, DISPATCH_PROPERTYPUT, {Variant::I4(1)}, DISP_E_MEMBERNOTFOUND, {}},
      {"unknown dispid", 99, DISPATCH_METHOD, {}, DISP_E_MEMBERNOTFOUND, {}},
      {"no call kind", kCount, 0, {}, DISP_E_MEMBERNOTFOUND, {}},
      {"member failure passes through", kFail, DISPATCH_METHOD, {}, E_ACCESSDENIED, {}},
      {"exception becomes unexpected", kExplode, DISPATCH_METHOD, {}, E_UNEXPECTED, {}},
      {"allocation failure becomes out of memory",
       kExplode,
       DISPATCH_METHOD,
       {Variant::I4(1)},
       E_OUTOFMEMORY,
       {}},
  };
  for (const Row& row : rows) {
    Variant result = Str(u"stale");
    const HRESULT hr = Call(sample.get(), row.id, row.flags, row.args, &result);
    EXPECT_EQ(hr, row.status) << row.name << ": got " << Describe(result);
    if (hr != row.status || Failed(hr)) continue;
    EXPECT_TRUE(SameValue(result, row.expected))
        << row.name << ": got " << Describe(result) << ", want " << Describe(row.expected);
  }
}

TEST(DispatchTest, PutAndGetShareADispid) {
  auto sample = Sample::Create();
  Variant result;
  ASSERT_EQ(Call(sample.get(), kName, DISPATCH_PROPERTYPUT, {Variant::I4(12)}), S_OK);
  ASSERT_EQ(Call(sample.get(), kName, DISPATCH_PROPERTYGET, {}, &result), S_OK);
  EXPECT_EQ(result.bstr(), Bstr(u"12")) << "the put value was coerced to a string";
  EXPECT_EQ(Call(sample.get(), kName, DISPATCH_PROPERTYPUT, {}), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(Call(sample.get(), kName, DISPATCH_PROPERTYPUT, {Str(u"a"), Str(u"b")}),
            DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(Call(sample.get(), kName, DISPATCH_PROPERTYPUTREF, {Str(u"ref")}), S_OK);
  ASSERT_EQ(Call(sample.get(), kName, DISPATCH_PROPERTYGET, {}, &result), S_OK);
  EXPECT_EQ(result.bstr(), Bstr(u"ref"));
  ASSERT_EQ(Call(sample.get(), kSecret, DISPATCH_PROPERTYPUT, {Str(u"7")}), S_OK);
  EXPECT_EQ(sample->secret, 7);
}

TEST(DispatchTest, IndexedPutTakesTheValueLast) {
  auto sample = Sample::Create();
  ASSERT_EQ(Call(sample.get(), DISPID_VALUE, DISPATCH_PROPERTYPUT, {Str(u"k"), Variant::I4(5)}),
            S_OK);
  Variant result;
  ASSERT_EQ(Call(sample.get(), DISPID_VALUE, kGetOrCall, {Str(u"k")}, &result), S_OK);
  EXPECT_EQ(result.i4(), 5);
  EXPECT_EQ(Call(sample.get(), DISPID_VALUE, DISPATCH_PROPERTYPUT, {Variant::I4(5)}),
            DISP_E_BADPARAMCOUNT)
      << "the required index is missing";
  EXPECT_EQ(
      Call(sample.get(), DISPID_VALUE, DISPATCH_PROPERTYPUT, {Str(u"a"), Str(u"b"), Str(u"c")}),
      DISP_E_BADPARAMCOUNT);
}

TEST(DispatchTest, SurplusArgumentsGoToTheReturnedObjectsDefaultMember) {
  auto sample = Sample::Create();
  IDispatch* form = nullptr;
  ASSERT_EQ(sample->get_Form(&form), S_OK);
  ASSERT_EQ(Call(form, DISPID_VALUE, DISPATCH_PROPERTYPUT, {Str(u"file1"), Str(u"a.txt")}), S_OK);
  form->Release();

  // Form("file1") as a script writes it: one argument more than Form takes.
  Variant result;
  ASSERT_EQ(Call(sample.get(), kForm, kGetOrCall, {Str(u"file1")}, &result), S_OK);
  EXPECT_EQ(result.bstr(), Bstr(u"a.txt"));

  // A variant result holding an object chains too, with all the surplus.
  auto child = ValueObject::Create(Variant::I4(42));
  sample->child = Variant::Dispatch(child.get());
  ASSERT_EQ(
      Call(sample.get(), kChild, DISPATCH_PROPERTYGET, {Variant::I4(1), Str(u"two")}, &result),
      S_OK);
  EXPECT_EQ(result.i4(), 42);
  ASSERT_EQ(child->lastArgs.size(), 2u);
  EXPECT_EQ(child->lastArgs[1].bstr(), Bstr(u"two"));
  EXPECT_EQ(child->lastFlags, kGetOrCall);

  sample->child = Variant::I4(3);
  EXPECT_EQ(Call(sample.get(), kChild, DISPATCH_PROPERTYGET, {Variant::I4(1)}, &result),
            DISP_E_BADPARAMCOUNT)
      << "a variant result that is not an object";
  sample->child = Variant::Dispatch(child.get());
  EXPECT_EQ(Call(sample.get(), kCount, DISPATCH_PROPERTYGET, {Variant::I4(1)}, &result),
            DISP_E_BADPARAMCOUNT);
  sample->child = Variant();
  EXPECT_EQ(child->RefCount(), 1u) << "chaining leaked a reference";
}

// A caller that keeps its arguments gets them back unchanged; one that
// marks them disposable may lose them to the call, except a variable it
// passed by reference.
TEST(DispatchTest, OnlyDisposableArgumentsAreTaken) {
  auto sample = Sample::Create();
  const Bstr name(u"a name longer than any short string");
  for (const bool disposable : {false, true}) {
    Variant greeting = Str(u"Good morning to you");
    DispParams params{{Variant::String(name), Variant::ByRef(&greeting)}, disposable};
    Variant result;
    ASSERT_EQ(sample->Invoke(kGreet, DISPATCH_METHOD, params, &result), S_OK) << disposable;
    EXPECT_EQ(result.bstr(), Bstr(u"Good morning to you, " + name.str())) << disposable;
    EXPECT_EQ(greeting.bstr(), Bstr(u"Good morning to you")) << disposable;
    if (!disposable) {
      EXPECT_EQ(params.args[0].bstr(), name);
    }
  }
}

TEST(DispatchTest, NewEnumIsAnOrdinaryMember) {
  auto sample = Sample::Create();
  sample->put_Item(Str(u"a"), Variant::I4(1));
  sample->put_Item(Str(u"b"), Variant::I4(2));
  DISPID id = 0;
  ASSERT_EQ(sample->GetIDsOfNames(u"_NewEnum", &id), S_OK);
  Variant result;
  ASSERT_EQ(Call(sample.get(), id, kGetOrCall, {}, &result), S_OK);
  ASSERT_EQ(result.vt(), VT_UNKNOWN);
  ComPtr<IEnumVARIANT> e;
  ASSERT_EQ(result.unknown()->QueryInterface(IID_IEnumVARIANT, e.ReceiveVoid()), S_OK);
  Variant items[3];
  std::uint32_t fetched = 0;
  EXPECT_EQ(e->Next(3, items, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 2u);
  EXPECT_EQ(items[0].i4() + items[1].i4(), 3);
}

TEST(DispatchTest, TypedAndLateBoundCallsReachTheSameMember) {
  auto sample = Sample::Create();
  std::int32_t count = -1;
  ASSERT_EQ(sample->get_Count(&count), S_OK);
  DISPID id = 0;
  ASSERT_EQ(sample->GetIDsOfNames(u"count", &id), S_OK);
  Variant result;
  ASSERT_EQ(Call(sample.get(), id, DISPATCH_PROPERTYGET, {}, &result), S_OK);
  ASSERT_EQ(Call(sample.get(), id, kGetOrCall, {}, nullptr), S_OK) << "the result may be ignored";
  EXPECT_EQ(sample->countCalls, 3);
  EXPECT_EQ(result.i4(), count);
}

TEST(DispatchTest, IgnoredObjectResultsAreReleased) {
  auto sample = Sample::Create();
  ASSERT_EQ(Call(sample.get(), kForm, DISPATCH_PROPERTYGET, {}, nullptr), S_OK);
  ASSERT_TRUE(sample->form);
  sample->form->AddRef();
  EXPECT_EQ(sample->form->Release(), 1u);
}

TEST(DispatchTest, TypeInfoExposesTheTable) {
  auto sample = Sample::Create();
  const InterfaceInfo* info = nullptr;
  ASSERT_EQ(sample->GetTypeInfo(&info), S_OK);
  ASSERT_EQ(info, &ISample::TypeInfo());
  const MemberInfo& greet = info->members[6];
  EXPECT_EQ(greet.dispid, kGreet);
  EXPECT_EQ(greet.paramCount, 3u);
  EXPECT_EQ(greet.paramTypes[2], VT_BOOL);
  EXPECT_EQ(greet.resultType, VT_BSTR);
}

TEST(DispatchTest, ParamDefaultsBecomeVariants) {
  struct Row {
    ParamDefault given;
    Variant expected;
  };
  const Row rows[] = {
      {ParamDefault(7), Variant::I4(7)},
      {ParamDefault(2.5), Variant::R8(2.5)},
      {ParamDefault(true), Variant::Bool(true)},
      {ParamDefault(u"x"), Str(u"x")},
      {ParamDefault::Optional(), Variant::Missing()},
  };
  for (const Row& row : rows) {
    const Variant got = row.given.ToVariant();
    EXPECT_TRUE(SameValue(got, row.expected)) << "got " << Describe(got);
  }
}

}  // namespace
}  // namespace vant
