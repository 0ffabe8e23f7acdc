#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "form/form_element.h"
#include "platform/fs/fault_injection.h"
#include "support/fake_host.h"
#include "unit/form/form_test_env.h"

namespace vant::form {
namespace {

using testing::FormTest;
using testing::ReadHostFile;
using testing::TakeReport;
using testing::U16;

enum class Member { Save, SaveAs, SaveVirtual, SaveAsVirtual };

class SaveTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    std::filesystem::create_directories(Host("out"));
    host_.SetSiteRoot(Win("site"));
  }

  // "$" in a row stands for the scratch folder in Windows syntax.
  std::u16string Expand(const std::string& text) const {
    std::u16string out;
    for (const char16_t c : U16(text)) {
      if (c == u'$') {
        out += Win("");
      } else {
        out += c;
      }
    }
    return out;
  }
  std::string ExpandText(const std::string& text) const { return Utf16ToUtf8(Expand(text)); }

  HRESULT Call(CFormElement& element, Member member, const std::string& path, bool overwrite,
               Bstr* out) {
    element.SetServerObject(host_.Server().get());
    const Bstr arg(Expand(path));
    const VARIANT_BOOL flag = ToVariantBool(overwrite);
    switch (member) {
      case Member::Save:
        return element.Save(arg, flag, out);
      case Member::SaveAs:
        return element.SaveAs(arg, flag, out);
      case Member::SaveVirtual:
        return element.SaveVirtual(arg, flag, out);
      case Member::SaveAsVirtual:
        return element.SaveAsVirtual(arg, flag, out);
    }
    return E_UNEXPECTED;
  }

  test::FakeHost host_;
};

struct SaveRow {
  const char* name;
  Member member;
  const char* sentName;
  const char* path;
  bool overwrite;
  bool autoMake;
  std::vector<const char*> existing;  // files there before, holding "old"
  const char* result;                 // the saved path, or the report
};

TEST_F(SaveTest, SaveRows) {
  const SaveRow rows[] = {
      {"Save without path", Member::Save, "a.txt", "", true, false, {}, "$\\up\\a.txt"},
      {"Save into a folder", Member::Save, "a.txt", "$\\out", true, false, {}, "$\\out\\a.txt"},
      {"Save into folder\\", Member::Save, "a.txt", "$\\out\\", true, false, {}, "$\\out\\a.txt"},
      {"SaveAs a bare name", Member::SaveAs, "a.txt", "new.txt", true, false, {}, "$\\up\\new.txt"},
      {"SaveAs a full path",
       Member::SaveAs,
       "a.txt",
       "$\\out\\n.txt",
       true,
       false,
       {},
       "$\\out\\n.txt"},
      {"SaveAs empty is Save", Member::SaveAs, "a.txt", "", true, false, {}, "$\\up\\a.txt"},
      {"unmappable path kept",
       Member::Save,
       "a.txt",
       "/../vant-none",
       true,
       false,
       {},
       "58|/../vant-none"},
      {"Save virtual folder", Member::Save, "a.txt", "/v", true, true, {}, "$\\site\\v\\a.txt"},
      {"SaveVirtual maps all",
       Member::SaveVirtual,
       "a.txt",
       "v",
       true,
       true,
       {},
       "$\\site\\v\\a.txt"},
      {"SaveAsVirtual",
       Member::SaveAsVirtual,
       "a.txt",
       "/v/n.txt",
       true,
       true,
       {},
       "$\\site\\v\\n.txt"},
      {"overwrite replaces", Member::Save, "a.txt", "", true, false, {"up/a.txt"}, "$\\up\\a.txt"},
      {"unique (0)", Member::Save, "a.txt", "", false, false, {"up/a.txt"}, "$\\up\\a(0).txt"},
      {"unique (1)",
       Member::Save,
       "a.txt",
       "",
       false,
       false,
       {"up/a.txt", "up/a(0).txt"},
       "$\\up\\a(1).txt"},
      {"unique, no extension",
       Member::Save,
       "readme",
       "",
       false,
       false,
       {"up/readme"},
       "$\\up\\readme(0)."},
      {"unique, free name kept",
       Member::SaveAs,
       "a.txt",
       "b.txt",
       false,
       false,
       {"up/a.txt"},
       "$\\up\\b.txt"},
      {"AutoMakeFolder on",
       Member::Save,
       "a.txt",
       "$\\new\\deep",
       true,
       true,
       {},
       "$\\new\\deep\\a.txt"},
      {"AutoMakeFolder off",
       Member::Save,
       "a.txt",
       "$\\new\\deep",
       true,
       false,
       {},
       "58|$\\new\\deep"},
      {"folder is a file",
       Member::Save,
       "a.txt",
       "$\\out\\f",
       true,
       true,
       {"out/f"},
       "57|$\\out\\f"},
  };
  for (const SaveRow& row : rows) {
    for (const char* name : row.existing) testing::WriteHostFile(Host(name), "old");
    flag_ = std::make_shared<frame::ErrorFlag>();
    auto element = FileElement(row.sentName);
    element->SetAutoMakeFolder(row.autoMake);
    Bstr out;
    const HRESULT hr = Call(*element, row.member, row.path, row.overwrite, &out);
    const std::string got = Succeeded(hr) ? Utf16ToUtf8(out.view()) : TakeReport();
    EXPECT_EQ(got, ExpandText(row.result)) << row.name;
    if (Succeeded(hr)) {
      EXPECT_EQ(ReadHostFile(testing::HostPath(out.view())), "data") << row.name;
      for (const char* name : row.existing) {
        if (Host(name) != testing::HostPath(out.view())) {
          EXPECT_EQ(ReadHostFile(Host(name)), "old") << row.name << ": " << name;
        }
      }
    } else {
      EXPECT_TRUE(flag_->IsSet()) << row.name;
    }
    std::filesystem::remove_all(Host("up"));
    std::filesystem::remove_all(Host("new"));
    std::filesystem::remove_all(Host("site"));
    std::filesystem::remove_all(Host("out"));
    std::filesystem::create_directories(Host("up"));
    std::filesystem::create_directories(Host("out"));
  }
}

struct ErrorRow {
  const char* name;
  const char* report;
};

TEST_F(SaveTest, ChecksComeInOrderWithTheirMessages) {
  auto field = FieldElement("title", "x");
  auto tooBig = FileElement("big.txt", "12345");
  tooBig->SetMaxFileLen(4);
  auto twice = FileElement("twice.txt");
  ASSERT_EQ(twice->Save(Bstr(u""), VARIANT_TRUE, nullptr), S_OK);
  auto gone = FileElement("gone.txt");
  std::filesystem::remove(testing::HostPath(gone->Item().TempFilePath));
  auto bigAndSaved = FileElement("both.txt", "12345");
  ASSERT_EQ(bigAndSaved->Save(Bstr(u""), VARIANT_TRUE, nullptr), S_OK);
  bigAndSaved->SetMaxFileLen(1);

  const std::pair<CFormElement*, ErrorRow> rows[] = {
      {field.get(), {"field element", "44|title"}},
      {tooBig.get(), {"MaxFileLen exceeded", "24|4"}},
      {twice.get(), {"saved twice", "46"}},
      {gone.get(), {"temp file gone", "47"}},
      {bigAndSaved.get(), {"size is checked before saved", "24|1"}},
  };
  for (const auto& [element, row] : rows) {
    for (const Member member :
         {Member::Save, Member::SaveAs, Member::SaveVirtual, Member::SaveAsVirtual}) {
      flag_ = std::make_shared<frame::ErrorFlag>();
      element->SetErrorFlagLink(flag_);
      EXPECT_EQ(Call(*element, member, "", true, nullptr), E_FAIL) << row.name;
      EXPECT_EQ(TakeReport(), row.report) << row.name << ", member " << static_cast<int>(member);
    }
  }
}

TEST_F(SaveTest, FieldElementsAreRefusedBeforeAnyMapping) {
  auto field = FieldElement("title", "x");
  EXPECT_EQ(Call(*field, Member::SaveVirtual, "/v", true, nullptr), E_FAIL);
  EXPECT_EQ(TakeReport(), "44|title");
  EXPECT_TRUE(host_.MapPathCalls().empty());
}

TEST_F(SaveTest, NoFileChosenDeletesTheEmptyTempFile) {
  auto empty = FileElement("", "");
  const std::string temp = testing::HostPath(empty->Item().TempFilePath);
  Bstr out(u"x");
  ASSERT_EQ(empty->Save(Bstr(u""), VARIANT_TRUE, &out), S_OK);
  EXPECT_EQ(Utf16ToUtf8(out.view()), "");
  EXPECT_FALSE(std::filesystem::exists(temp));
  VARIANT_BOOL isFile = VARIANT_FALSE;
  empty->IsFileItem(&isFile);
  EXPECT_EQ(isFile, VARIANT_TRUE);
  // Its temporary file is gone now, so a second save cannot delete it.
  EXPECT_EQ(empty->Save(Bstr(u""), VARIANT_TRUE, &out), E_FAIL);
  EXPECT_EQ(TakeReport(), "45|" + Utf16ToUtf8(empty->Item().TempFilePath));
}

TEST_F(SaveTest, FailedMoveKeepsTheTempFileForARetry) {
  auto element = FileElement("a.txt");
  const std::u16string temp = element->Item().TempFilePath;
  fs::FaultInjection::FailNthRename(0, EACCES);
  EXPECT_EQ(element->Save(Bstr(u""), VARIANT_TRUE, nullptr), E_FAIL);
  fs::FaultInjection::Reset();
  EXPECT_EQ(TakeReport(), "48|" + Utf16ToUtf8(temp) + "|" + Utf16ToUtf8(Win("up/a.txt")));
  EXPECT_EQ(element->Item().LastSavedFilePath, Win("up/a.txt"));
  EXPECT_TRUE(std::filesystem::exists(testing::HostPath(temp)));
  flag_ = std::make_shared<frame::ErrorFlag>();
  element->SetErrorFlagLink(flag_);
  Bstr out;
  ASSERT_EQ(element->SaveAs(Bstr(u"retry.txt"), VARIANT_TRUE, &out), S_OK);
  EXPECT_EQ(out.str(), Win("up/retry.txt"));
}

// A browser chooses the file name; whatever it sends, a save without a file
// name of the script's own writes into the chosen folder or nowhere.
TEST_F(SaveTest, HostileSentNamesStayInsideTheFolder) {
  struct Row {
    std::string sent;    // the filename parameter as the browser sent it
    const char* result;  // saved name in up\, or the report
  };
  const Row rows[] = {
      {"../../x", "x"},
      {"..\\..\\x", "x"},
      {"..", "56|$\\up\\.."},
      {".", "56|$\\up\\."},
      {"...", "56|$\\up\\..."},
      {"a/b", "b"},
      {"C:\\x\\..\\y", "y"},
      {"/etc/passwd", "passwd"},
      {"x/..", "56|$\\up\\.."},
      {"dir/", "56|$\\up\\"},
      {std::string("a\0b", 3), "56|$\\up\\a"},
      {"a\nb", "56|$\\up\\a\nb"},
      {"tab\there", "56|$\\up\\tab\there"},
      {"del\x7F", "56|$\\up\\del\x7F"},
      {".hidden", ".hidden"},
      {"name. with space", "name. with space"},
  };
  for (const Row& row : rows) {
    flag_ = std::make_shared<frame::ErrorFlag>();
    const std::size_t cut = row.sent.rfind('\\');
    const std::string fileName = cut == std::string::npos ? row.sent : row.sent.substr(cut + 1);
    auto element = FileElement(fileName);
    Bstr out;
    const HRESULT hr = element->Save(Bstr(u""), VARIANT_TRUE, &out);
    if (Succeeded(hr)) {
      EXPECT_EQ(out.str(), Win("up/" + std::string(row.result))) << row.sent;
      Bstr shown;
      element->get_FileName(&shown);
      EXPECT_EQ(Utf16ToUtf8(shown.view()), fileName) << "FileName reads as sent";
    } else {
      const std::string report = TakeReport();
      EXPECT_EQ(report.substr(0, report.find('\0')), ExpandText(row.result)) << row.sent;
      EXPECT_TRUE(flag_->IsSet());
      EXPECT_TRUE(std::filesystem::exists(testing::HostPath(element->Item().TempFilePath)));
    }
    // Nothing but the upload folder (and the temporary files in it) exists.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root_)) {
      if (entry.is_directory()) continue;
      EXPECT_EQ(entry.path().parent_path().filename(), "up") << row.sent << ": " << entry.path();
    }
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(root_).parent_path() / "x"));
  }
}

TEST_F(SaveTest, ConcurrentSavesOfOneNameLoseNoFile) {
  constexpr int kThreads = 8;
  std::vector<ComPtr<CFormElement>> elements;
  for (int i = 0; i < kThreads; ++i) {
    auto element = FileElement("same.txt", "content " + std::to_string(i));
    element->SetErrorFlagLink(std::make_shared<frame::ErrorFlag>());
    elements.push_back(element);
  }
  std::vector<std::u16string> results(kThreads);
  std::vector<HRESULT> statuses(kThreads, E_UNEXPECTED);
  {
    std::vector<std::jthread> threads;
    for (int i = 0; i < kThreads; ++i) {
      threads.emplace_back([&, i] {
        Bstr out;
        statuses[i] = elements[i]->Save(Bstr(u""), VARIANT_FALSE, &out);
        results[i] = out.str();
      });
    }
  }
  std::set<std::string> contents;
  for (int i = 0; i < kThreads; ++i) {
    EXPECT_EQ(statuses[i], S_OK) << i;
    contents.insert(ReadHostFile(testing::HostPath(results[i])));
  }
  EXPECT_EQ(std::set<std::u16string>(results.begin(), results.end()).size(), 8u);
  EXPECT_EQ(contents.size(), 8u) << "every upload kept in a file of its own";
  EXPECT_EQ(contents.count("<missing>"), 0u);
}

// A folder does not count as taken for the free-name search, so the move
// into its name clashes: the save goes on to the next name and replaces
// nothing.
TEST_F(SaveTest, NoOverwriteStepsOverAFolderOfTheSameName) {
  std::filesystem::create_directories(Host("up/a.txt"));
  auto element = FileElement("a.txt");
  Bstr out;
  ASSERT_EQ(element->Save(Bstr(u""), VARIANT_FALSE, &out), S_OK);
  EXPECT_EQ(out.str(), Win("up/a(0).txt"));
}

}  // namespace
}  // namespace vant::form
