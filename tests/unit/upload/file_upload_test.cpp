// The upload object's members: settings and their rules, forwarding to the
// first file, the error path, progress, cleanup on release, and uploads
// running side by side into one folder.
#include "upload/file_upload.h"

#include <gtest/gtest.h>

#include <thread>

#include "module/class_table.h"
#include "unit/upload/upload_test_env.h"
#include "upload/temp_upload_file.h"

namespace vant::upload {
namespace {

using testing::Body;
using testing::Bytes;
using testing::Part;
using testing::ReadHostFile;
using testing::TakeReport;
using testing::U16;

using FileUploadTest = testing::UploadTest;

TEST_F(FileUploadTest, IsCreatableAndAnswersErrorInfoForItsInterface) {
  ComPtr<IUnknown> made;
  for (const frame::ClassInfo& info : frame::CreatableClasses()) {
    if (info.name != kFileUploadClassName) continue;
    ASSERT_NE(frame::FindClassCreator(info.clsid), nullptr);
    ASSERT_EQ(frame::FindClassCreator(info.clsid)(IID_IUnknown, made.ReceiveVoid()), S_OK);
  }
  ASSERT_TRUE(made);
  ComPtr<ISupportErrorInfo> info;
  ASSERT_EQ(made->QueryInterface(IID_ISupportErrorInfo, info.ReceiveVoid()), S_OK);
  EXPECT_EQ(info->InterfaceSupportsErrorInfo(IFileUpload::kIid), S_OK);
  EXPECT_EQ(info->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
}

TEST_F(FileUploadTest, SettingsKeepTheirRules) {
  ComPtr<IFileUpload> up = NewUpload(false);
  std::int32_t value = 0;
  struct Row {
    std::int32_t put, got;
  };
  for (const Row row :
       {Row{-5, kLargestLength}, Row{kLargestLength + 1, kLargestLength}, Row{0, 0}, Row{77, 77}}) {
    EXPECT_EQ(up->put_MaxFileLen(row.put), S_OK);
    up->get_MaxFileLen(&value);
    EXPECT_EQ(value, row.got) << row.put;
  }
  EXPECT_EQ(up->put_TotalLen(-5), S_OK);
  up->get_TotalLen(&value);
  EXPECT_EQ(value, -5);
  Bstr version;
  EXPECT_EQ(up->get_Version(&version), S_OK);
  EXPECT_EQ(version.str(), u"VANTUpload Professional ver 3.1");
  IDispatch* virus = reinterpret_cast<IDispatch*>(1);
  EXPECT_EQ(up->get_IVirusInfo(&virus), S_OK);
  EXPECT_EQ(virus, nullptr);
  EXPECT_EQ(up->put_UploadTimeout(600), S_OK);
  EXPECT_EQ(host().ScriptTimeout(), 600);
  EXPECT_EQ(host().SessionTimeoutPuts().back(), 10);
  EXPECT_EQ(TakeReport(), "<none>");
  EXPECT_EQ(up->put_TotalLen(kLargestLength + 1), E_FAIL);
  EXPECT_EQ(TakeReport(), "31");
}

TEST_F(FileUploadTest, DefaultPathRules) {
  struct Row {
    const char* what;
    std::u16string path;
    bool autoMake;
    std::string report;
  };
  const std::u16string missing = Win("new\\deeper");
  const Row rows[] = {
      {"existing folder", UploadFolder(), false, "<none>"},
      {"virtual path", u"/up", false, "<none>"},
      {"1024 characters", std::u16string(1024, u'a'), false, "04"},
      {"missing folder", missing, false, "58|" + Utf16ToUtf8(missing)},
      {"missing folder made", missing, true, "<none>"},
      {"folder not makeable", Win("up\\file.txt\\sub"), true,
       "05|" + Utf16ToUtf8(Win("up\\file.txt\\sub"))},
  };
  testing::WriteHostFile(Host("up/file.txt"), "x");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ComPtr<IFileUpload> up = NewUpload(false);
    up->put_AutoMakeFolder(ToVariantBool(row.autoMake));
    const HRESULT hr = up->put_DefaultPath(Bstr(row.path));
    EXPECT_EQ(TakeReport(), row.report);
    Bstr got;
    EXPECT_EQ(up->get_DefaultPath(&got), hr);
    if (hr == S_OK) {
      EXPECT_TRUE(std::filesystem::is_directory(testing::HostPath(got.str())));
    }
  }
  EXPECT_TRUE(std::filesystem::is_directory(Host("new/deeper")));
}

// After the first reported error the body is drained and every form access
// fails without a new message, even once DefaultPath is set properly.
TEST_F(FileUploadTest, OnlyTheFirstErrorIsRaised) {
  const std::string body = Body({{"f", Bytes(40000), "a.bin"}});
  Post(body);
  ComPtr<IFileUpload> up = NewUpload(false);
  Bstr path;
  EXPECT_EQ(up->get_DefaultPath(&path), E_FAIL);
  EXPECT_EQ(TakeReport(), "03");
  EXPECT_EQ(host().BytesRead(), body.size());
  EXPECT_EQ(up->put_DefaultPath(Bstr(UploadFolder())), S_OK);
  Variant form;
  EXPECT_EQ(up->get_Form(&form), E_FAIL);
  EXPECT_EQ(up->put_DefaultPath(Bstr(Win("missing"))), E_FAIL);
  EXPECT_EQ(TakeReport(), "<none>");
}

TEST_F(FileUploadTest, FormNeedsAPathAndAnUndrainedBody) {
  Post(Body({{"a", "1"}}));
  Variant form;
  ComPtr<IFileUpload> noPath = NewUpload(false);
  EXPECT_EQ(noPath->get_Form(&form), E_FAIL);
  EXPECT_EQ(TakeReport(), "03");
  Post(Body({{"a", "1"}}));
  ComPtr<IFileUpload> flushed = NewUpload();
  EXPECT_EQ(flushed->Flush(), S_OK);
  EXPECT_EQ(flushed->get_Form(&form), E_FAIL);
  EXPECT_EQ(TakeReport(), "14");
}

TEST_F(FileUploadTest, ForwardsToTheFirstFileElement) {
  Post(Body({{"a", "1"}}));
  ComPtr<IFileUpload> fieldsOnly = NewUpload();
  Bstr name;
  EXPECT_EQ(fieldsOnly->get_FileName(&name), E_FAIL);
  EXPECT_EQ(TakeReport(), "15");

  Post(Body({{"a", "1"}, {"f", "abc", "C:\\x\\first.txt", "text/plain"}, {"g", "zz", "second"}}));
  ComPtr<IFileUpload> up = NewUpload();
  std::int32_t length = 0;
  EXPECT_EQ(up->get_FileLen(&length), S_OK);
  EXPECT_EQ(length, 3);
  EXPECT_EQ(up->get_FileName(&name), S_OK);
  EXPECT_EQ(name.str(), u"first.txt");
  EXPECT_EQ(up->get_FilePath(&name), S_OK);
  EXPECT_EQ(name.str(), u"C:\\x\\first.txt");
  EXPECT_EQ(up->get_MimeType(&name), S_OK);
  EXPECT_EQ(name.str(), u"text/plain");
  EXPECT_EQ(up->get_FileLen(nullptr), E_POINTER);
  EXPECT_EQ(up->SetProgress(1), E_FAIL);
  EXPECT_EQ(TakeReport(), "32");
}

TEST_F(FileUploadTest, FileAndFolderQueries) {
  testing::WriteHostFile(Host("up/there.txt"), "x");
  ComPtr<IFileUpload> up = NewUpload();
  VARIANT_BOOL answer = VARIANT_FALSE;
  struct Row {
    std::u16string path;
    bool file, folder;
  };
  for (const Row& row : {Row{Win("up\\there.txt"), true, false}, Row{u"/up/there.txt", true, false},
                         Row{Win("up"), false, true}, Row{u"/up", false, true},
                         Row{Win("up\\none"), false, false}}) {
    up->FileExists(Bstr(row.path), &answer);
    EXPECT_EQ(answer != VARIANT_FALSE, row.file) << Utf16ToUtf8(row.path);
    up->FolderExists(Bstr(row.path), &answer);
    EXPECT_EQ(answer != VARIANT_FALSE, row.folder) << Utf16ToUtf8(row.path);
  }
  EXPECT_EQ(up->DeleteFile(Bstr(Win("up\\there.txt")), &answer), S_OK);
  EXPECT_NE(answer, VARIANT_FALSE);
  EXPECT_EQ(up->DeleteFile(Bstr(Win("up\\there.txt")), &answer), S_OK);
  EXPECT_EQ(answer, VARIANT_FALSE);
}

// Release removes what the script did not save; after an error it removes
// saved files too.
TEST_F(FileUploadTest, ReleaseDeletesLeftoverFiles) {
  for (const bool error : {false, true}) {
    SCOPED_TRACE(error);
    Post(Body({{"f1", "one", "1.txt"}, {"f2", "two", "2.txt"}}));
    ComPtr<IFileUpload> up = NewUpload();
    Bstr saved;
    ASSERT_EQ(up->SaveAs(Bstr(Win("up\\kept.txt")), VARIANT_TRUE, &saved), S_OK);
    EXPECT_EQ(FolderFiles().size(), 2u);
    if (error) {
      EXPECT_EQ(up->Flush(), S_OK);
      EXPECT_EQ(up->Flush(), E_FAIL);
      EXPECT_EQ(TakeReport(), "40");
    }
    up = nullptr;
    EXPECT_EQ(FolderFiles(),
              error ? std::vector<std::string>{} : std::vector<std::string>{"kept.txt"});
    std::filesystem::remove(Host("up/kept.txt"));
  }
}

TEST_F(FileUploadTest, ProgressFollowsTheUploadAndIsReleasedWithoutWaiting) {
  const std::int32_t id = table_.AllocateProgressId().value();
  const std::string body = Body({{"f", Bytes(40000), "pic.jpg"}});
  Post(body);
  host().SetCookie(u"VANTUpload", u"ProgressID", U16(std::to_string(id)));
  ComPtr<IFileUpload> up = NewUpload();
  ASSERT_NE(FormOf(*up), nullptr);
  progress::ProgressInfo record = table_.Snapshot(id)->record;
  EXPECT_EQ(record.total, static_cast<std::int32_t>(body.size()));
  EXPECT_EQ(record.remaining, 0);
  EXPECT_EQ(record.currentName, u"pic.jpg");
  const auto before = std::chrono::steady_clock::now();
  up = nullptr;
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(50));
  EXPECT_EQ(table_.Snapshot(id)->record.working, 0);
  table_.WaitForPendingResets();
  EXPECT_EQ(table_.Snapshot(id)->record.total, 0);
}

// Eight uploads into one folder at once: every temporary file has its own
// name and its own bytes, and nothing is left after release.
TEST_F(FileUploadTest, ConcurrentUploadsNeverShareATemporaryFile) {
  constexpr int kUploads = 8;
  std::vector<std::vector<std::string>> got(kUploads);
  std::vector<std::string> want(kUploads);
  std::vector<std::thread> threads;
  for (int i = 0; i < kUploads; ++i) {
    std::vector<Part> parts;
    for (int f = 0; f < 20; ++f) parts.push_back({"f", Bytes(3000, i * 100 + f), "x"});
    threads.emplace_back([&, i, parts] {
      test::FakeHost host;
      host.SetBody(Body(parts));
      host.SetServerVariable(u"CONTENT_TYPE", U16(testing::ContentType()));
      ComPtr<IFileUpload> up = MakeFileUpload(table_);
      up->OnStartPage(host.ScriptingContext().get());
      up->put_DefaultPath(Bstr(UploadFolder()));
      if (form::CFormElementMultiCollection* form = FormOf(*up)) got[i] = Elements(*form, {"f"});
      for (const Part& part : parts) want[i] += "f:x=" + part.data;
    });
  }
  for (std::thread& t : threads) t.join();
  for (int i = 0; i < kUploads; ++i) {
    std::string joined;
    for (const std::string& e : got[i]) joined += e;
    EXPECT_TRUE(joined == want[i]) << "upload " << i;
  }
  EXPECT_TRUE(FolderFiles().empty());
}

TEST_F(FileUploadTest, TemporaryFileNamesAndCleanup) {
  EXPECT_EQ(TempFileName(u"C:\\up", 1234, 56), u"C:\\up\\KWZ$123456.tm#");
  EXPECT_TRUE(IsTempFileName(u"KWZ$123456.tm#"));
  EXPECT_FALSE(IsTempFileName(u"KWZ$12a.tm#"));
  std::u16string path;
  {
    TempUploadFile kept;
    ASSERT_TRUE(kept.Create(UploadFolder()).ok());
    path = kept.Path();
    kept.Keep();
    TempUploadFile dropped;
    ASSERT_TRUE(dropped.Create(UploadFolder()).ok());
    EXPECT_NE(dropped.Path(), path);
  }
  const std::vector<std::string> files = FolderFiles();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_TRUE(IsTempFileName(U16(files[0]))) << files[0];
}

}  // namespace
}  // namespace vant::upload
