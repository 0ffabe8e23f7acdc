#include "form/form_element.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "unit/form/form_test_env.h"

namespace vant::form {
namespace {

using testing::FormTest;
using testing::TakeReport;
using testing::U16;

std::string Text(const Bstr& b) { return b.IsNull() ? "<null>" : Utf16ToUtf8(b.view()); }

TEST_F(FormTest, FileNameSplitsAtTheLastDot) {
  struct Row {
    const char* fileName;
    const char* withoutExt;
    const char* extension;
  };
  const Row rows[] = {
      {"archive.tar.gz", "archive.tar", "gz"},
      {"README", "README", ""},
      {".profile", "", "profile"},
      {"trailing.", "trailing", ""},
      {"a.b.c.", "a.b.c", ""},
      {"", "", ""},
      {"사진.JPG", "사진", "JPG"},
  };
  for (const Row& row : rows) {
    auto element = CFormElement::Create();
    element->SetFileName(U16(row.fileName));
    Bstr without;
    Bstr extension;
    ASSERT_EQ(element->get_FileNameWithoutExt(&without), S_OK);
    ASSERT_EQ(element->get_FileExtension(&extension), S_OK);
    EXPECT_EQ(Text(without), row.withoutExt) << row.fileName;
    EXPECT_EQ(Text(extension), row.extension) << row.fileName;
  }
}

TEST_F(FormTest, FreshElementIsAnEmptyFieldWithNoImage) {
  auto element = CFormElement::Create();
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t length = 7;
  VARIANT_BOOL isFile = VARIANT_TRUE;
  VARIANT_BOOL infected = VARIANT_TRUE;
  Bstr virus(u"x");
  EXPECT_EQ(element->get_ImageWidth(&width), S_OK);
  EXPECT_EQ(element->get_ImageHeight(&height), S_OK);
  EXPECT_EQ(element->get_FileLen(&length), S_OK);
  EXPECT_EQ(element->IsFileItem(&isFile), S_OK);
  EXPECT_EQ(element->get_IsInfected(&infected), S_OK);
  EXPECT_EQ(element->get_VirusName(&virus), S_OK);
  EXPECT_EQ(width, -1);
  EXPECT_EQ(height, -1);
  EXPECT_EQ(length, 0);
  EXPECT_EQ(isFile, VARIANT_FALSE);
  EXPECT_EQ(infected, VARIANT_FALSE);
  EXPECT_TRUE(virus.IsNull());
  EXPECT_EQ(element->get_Name(nullptr), E_POINTER);
}

TEST_F(FormTest, ValueIsTheSentPathForFilesAndTheTextForFields) {
  auto file = FileElement("a.txt");
  file->SetFilePath(u"C:\\docs\\a.txt");
  auto field = FieldElement("title", "hello");
  Bstr value;
  ASSERT_EQ(file->get_Value(&value), S_OK);
  EXPECT_EQ(Text(value), "C:\\docs\\a.txt");
  ASSERT_EQ(field->get_Value(&value), S_OK);
  EXPECT_EQ(Text(value), "hello");
}

TEST_F(FormTest, SetFileInfoReadsSizeAndImageHeader) {
  auto text = FileElement("notes.txt", std::string(70000, 'x'));
  std::int32_t length = 0;
  std::int32_t width = 0;
  VARIANT_BOOL image = VARIANT_TRUE;
  Bstr format;
  text->get_FileLen(&length);
  text->get_ImageWidth(&width);
  text->IsImageItem(&image);
  text->get_ImageFormat(&format);
  EXPECT_EQ(length, 70000);
  EXPECT_EQ(width, -1);
  EXPECT_EQ(image, VARIANT_FALSE);
  EXPECT_EQ(Text(format), "");

  const char* shared = std::getenv("VANT_SHARED");
  if (shared == nullptr) GTEST_SKIP() << "VANT_SHARED not set: no sample images";
  auto photo = FileElement(
      "photo.jpg", testing::ReadHostFile(std::string(shared) + "/testdata/images/kodak_dc210.jpg"));
  std::int32_t height = 0;
  photo->get_ImageWidth(&width);
  photo->get_ImageHeight(&height);
  photo->IsImageItem(&image);
  photo->get_ImageFormat(&format);
  EXPECT_EQ(width, 640);
  EXPECT_EQ(height, 480);
  EXPECT_EQ(image, VARIANT_TRUE);
  EXPECT_EQ(Text(format), "JPEG");
}

TEST_F(FormTest, SetFileInfoOnAMissingTempFileGivesAnEmptyFile) {
  auto element = CFormElement::Create();
  element->SetTempFilePath(Win("up/none.tm#"));
  EXPECT_EQ(element->SetFileInfo(), 1);
  std::int32_t length = -5;
  VARIANT_BOOL isFile = VARIANT_FALSE;
  element->get_FileLen(&length);
  element->IsFileItem(&isFile);
  EXPECT_EQ(length, 0);
  EXPECT_EQ(isFile, VARIANT_TRUE);
}

TEST_F(FormTest, SavedStateDecidesWhichPathGettersAnswer) {
  auto element = FileElement("a.txt");
  Bstr out;
  EXPECT_EQ(element->get_LastSavedFileName(&out), E_FAIL);
  EXPECT_EQ(TakeReport(), "42");
  flag_ = std::make_shared<frame::ErrorFlag>();
  element->SetErrorFlagLink(flag_);
  EXPECT_EQ(element->get_LastSavedFilePath(&out), E_FAIL);
  EXPECT_EQ(TakeReport(), "43");
  ASSERT_EQ(element->get_TempFilePath(&out), S_OK);
  EXPECT_EQ(out.str(), Win("up/KWZ$1.tm#"));

  flag_ = std::make_shared<frame::ErrorFlag>();
  element->SetErrorFlagLink(flag_);
  ASSERT_EQ(element->Save(Bstr(u""), VARIANT_TRUE, &out), S_OK);
  EXPECT_EQ(element->get_TempFilePath(&out), E_FAIL);
  EXPECT_EQ(TakeReport(), "38");
  ASSERT_EQ(element->get_LastSavedFileName(&out), S_OK);
  EXPECT_EQ(Text(out), "a.txt");
  ASSERT_EQ(element->get_LastSavedFilePath(&out), S_OK);
  EXPECT_EQ(out.str(), Win("up/a.txt"));
}

TEST_F(FormTest, OnlyTheFirstErrorOfAnUploadReachesTheScript) {
  auto first = FileElement("a.txt");
  auto second = FileElement("b.txt");
  auto field = FieldElement("title", "x");
  Bstr out;
  EXPECT_EQ(first->get_LastSavedFileName(&out), E_FAIL);
  EXPECT_EQ(second->get_LastSavedFilePath(&out), E_FAIL);
  EXPECT_EQ(field->Save(Bstr(u""), VARIANT_TRUE, &out), E_FAIL);
  EXPECT_TRUE(flag_->IsSet());
  EXPECT_EQ(TakeReport(), "42") << "the later reports are silent";
}

struct DeleteRow {
  const char* name;
  bool save;
  std::int32_t mode;
  bool tempLeft;
  bool savedLeft;
};

TEST_F(FormTest, DeleteSavedFileModes) {
  const DeleteRow rows[] = {
      {"unsaved, temp only", false, DeleteModeTempOnly, false, false},
      {"unsaved, all", false, DeleteModeAll, false, false},
      {"saved, temp only", true, DeleteModeTempOnly, false, true},
      {"saved, all", true, DeleteModeAll, false, false},
      {"saved, mode 7 acts as all", true, 7, false, false},
  };
  for (const DeleteRow& row : rows) {
    auto element = FileElement("d.txt");
    Bstr temp;
    element->get_TempFilePath(&temp);
    if (row.save) {
      ASSERT_EQ(element->Save(Bstr(u""), VARIANT_TRUE, nullptr), S_OK);
    }
    EXPECT_EQ(element->DeleteSavedFile(row.mode), S_OK) << row.name;
    EXPECT_EQ(std::filesystem::exists(testing::HostPath(temp.view())), row.tempLeft) << row.name;
    EXPECT_EQ(std::filesystem::exists(Host("up/d.txt")), row.savedLeft) << row.name;
    std::filesystem::remove(Host("up/d.txt"));
    EXPECT_EQ(element->DeleteSavedFile(row.mode), S_OK) << row.name << ": a second delete";
  }
  EXPECT_EQ(TakeReport(), "<none>");
}

TEST_F(FormTest, DeleteSavedFileReportsAFileThatCannotGo) {
  // A file in a folder without write permission cannot be unlinked (unless
  // the tests run as root, which ignores permissions).
  auto element = FileElement("locked.txt");
  std::filesystem::permissions(Host("up"), std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::remove);
  const HRESULT hr = element->DeleteSavedFile(DeleteModeAll);
  std::filesystem::permissions(Host("up"), std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
  if (hr == S_OK) GTEST_SKIP() << "running with permission to delete anything";
  EXPECT_EQ(hr, E_FAIL);
  EXPECT_EQ(TakeReport(), "41|" + Utf16ToUtf8(Win("up/KWZ$1.tm#")));
}

TEST_F(FormTest, FieldElementsHaveNothingToDelete) {
  auto field = FieldElement("title", "x");
  EXPECT_EQ(field->DeleteSavedFile(DeleteModeAll), S_OK);
  EXPECT_EQ(TakeReport(), "<none>");
}

TEST_F(FormTest, ErrorInfoIsOfferedForTheElementInterfaceOnly) {
  auto element = CFormElement::Create();
  EXPECT_EQ(element->InterfaceSupportsErrorInfo(IFormElement::kIid), S_OK);
  EXPECT_EQ(element->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
}

}  // namespace
}  // namespace vant::form
