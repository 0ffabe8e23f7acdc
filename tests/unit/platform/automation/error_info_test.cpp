#include "platform/automation/error_info.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/automation/automation.h"

namespace vant {
namespace {

// A record with the given source text, as IErrorInfo (one reference).
ComPtr<IErrorInfo> MakeRecord(const char16_t* source) {
  ComPtr<ICreateErrorInfo> creator;
  EXPECT_EQ(CreateErrorInfo(creator.Receive()), S_OK);
  EXPECT_EQ(creator->SetSource(Bstr(source)), S_OK);
  ComPtr<IErrorInfo> info;
  EXPECT_EQ(creator.As(IID_IErrorInfo, &info), S_OK);
  return info;
}

Bstr SourceOf(IErrorInfo* info) {
  Bstr source;
  EXPECT_EQ(info->GetSource(&source), S_OK);
  return source;
}

std::uint32_t RefCount(IUnknown* p) {
  p->AddRef();
  return p->Release();
}

TEST(ErrorInfoTest, OneObjectWritesAndReadsTheRecord) {
  ComPtr<ICreateErrorInfo> creator;
  ASSERT_EQ(CreateErrorInfo(creator.Receive()), S_OK);
  const GUID guid = MakeGuid(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11);
  creator->SetGUID(guid);
  creator->SetSource(Bstr(u"The file could not be saved."));
  creator->SetDescription(Bstr(u"VANTUpload Professional"));
  creator->SetHelpFile(Bstr(u"help.chm"));
  creator->SetHelpContext(42);
  ComPtr<IErrorInfo> info;
  ASSERT_EQ(creator.As(IID_IErrorInfo, &info), S_OK);
  GUID got;
  Bstr text;
  std::uint32_t context = 0;
  EXPECT_EQ(info->GetGUID(&got), S_OK);
  EXPECT_EQ(got, guid);
  EXPECT_EQ(SourceOf(info.get()), Bstr(u"The file could not be saved."));
  EXPECT_EQ(info->GetDescription(&text), S_OK);
  EXPECT_EQ(text, Bstr(u"VANTUpload Professional"));
  EXPECT_EQ(info->GetHelpFile(&text), S_OK);
  EXPECT_EQ(text, Bstr(u"help.chm"));
  EXPECT_EQ(info->GetHelpContext(&context), S_OK);
  EXPECT_EQ(context, 42u);
  EXPECT_EQ(info->GetSource(nullptr), E_POINTER);

  // Both interfaces lead back to one identity.
  ComPtr<IUnknown> a, b;
  ASSERT_EQ(creator.As(IID_IUnknown, &a), S_OK);
  ASSERT_EQ(info.As(IID_IUnknown, &b), S_OK);
  EXPECT_EQ(a.get(), b.get());
  EXPECT_EQ(CreateErrorInfo(nullptr), E_POINTER);
}

TEST(ErrorInfoTest, SetReplacesAndGetHandsOverAndClears) {
  IErrorInfo* out = reinterpret_cast<IErrorInfo*>(0x1);
  EXPECT_EQ(GetErrorInfo(0, &out), S_FALSE);
  EXPECT_EQ(out, nullptr);

  const ComPtr<IErrorInfo> first = MakeRecord(u"first");
  const ComPtr<IErrorInfo> second = MakeRecord(u"second");
  ASSERT_EQ(SetErrorInfo(0, first.get()), S_OK);
  EXPECT_EQ(RefCount(first.get()), 2u) << "the slot holds a reference";
  ASSERT_EQ(SetErrorInfo(0, second.get()), S_OK);
  EXPECT_EQ(RefCount(first.get()), 1u) << "replacing releases the old record";

  ComPtr<IErrorInfo> taken;
  ASSERT_EQ(GetErrorInfo(0, taken.Receive()), S_OK);
  EXPECT_EQ(SourceOf(taken.get()), Bstr(u"second"));
  EXPECT_EQ(RefCount(second.get()), 2u) << "the reference moved from the slot to the caller";
  EXPECT_EQ(GetErrorInfo(0, taken.Receive()), S_FALSE) << "the slot is empty after a get";

  ASSERT_EQ(SetErrorInfo(0, first.get()), S_OK);
  ASSERT_EQ(SetErrorInfo(0, first.get()), S_OK) << "setting the same record again";
  ASSERT_EQ(SetErrorInfo(0, nullptr), S_OK);
  EXPECT_EQ(RefCount(first.get()), 1u);
  EXPECT_EQ(GetErrorInfo(0, taken.Receive()), S_FALSE);
  EXPECT_EQ(GetErrorInfo(0, nullptr), E_POINTER);
}

TEST(ErrorInfoTest, EachThreadHasItsOwnRecord) {
  const ComPtr<IErrorInfo> mine = MakeRecord(u"main");
  ASSERT_EQ(SetErrorInfo(0, mine.get()), S_OK);
  HRESULT otherBefore = S_OK;
  Bstr otherSource;
  std::thread other([&] {
    IErrorInfo* seen = nullptr;
    otherBefore = GetErrorInfo(0, &seen);
    ComPtr<IErrorInfo> own = MakeRecord(u"worker");
    SetErrorInfo(0, own.get());
    ComPtr<IErrorInfo> back;
    GetErrorInfo(0, back.Receive());
    if (back) back->GetSource(&otherSource);
  });
  other.join();
  EXPECT_EQ(otherBefore, S_FALSE) << "a new thread starts without a record";
  EXPECT_EQ(otherSource, Bstr(u"worker"));
  ComPtr<IErrorInfo> back;
  ASSERT_EQ(GetErrorInfo(0, back.Receive()), S_OK);
  EXPECT_EQ(SourceOf(back.get()), Bstr(u"main"));
}

TEST(ErrorInfoTest, ThreadExitReleasesItsRecord) {
  ComPtr<IErrorInfo> record = MakeRecord(u"left behind");
  std::thread other([&] { SetErrorInfo(0, record.get()); });
  other.join();
  EXPECT_EQ(RefCount(record.get()), 1u);
}

}  // namespace
}  // namespace vant
