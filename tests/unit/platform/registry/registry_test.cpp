#include "platform/registry/registry.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <functional>

#include "platform/registry/detail/file_store.h"
#include "unit/platform/registry/test_files.h"

namespace vant::registry {
namespace {

using testing::Ascii;
using testing::ReadHostFile;
using testing::TempDir;
using testing::WriteHostFile;

constexpr std::u16string_view kSettings = u"SOFTWARE\\TALVEK\\VANTUpload Professional";

class RegistryTest : public ::testing::Test {
 protected:
  TempDir dir_;
  const std::string file_ = dir_.Host("registry.reg");
  const Registry reg_{file_};
};

TEST_F(RegistryTest, MissingFileReadsAsAnEmptyRegistry) {
  Key key;
  EXPECT_EQ(reg_.OpenKey(Root::LocalMachine, kSettings, Access::Query, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(key.IsOpen());
  Tree tree;
  EXPECT_EQ(reg_.Read(&tree), ERROR_SUCCESS);
  EXPECT_EQ(Registry(dir_.Host("no/such/folder/r.reg")).Read(&tree), ERROR_SUCCESS);
  EXPECT_TRUE(dir_.List().empty()) << "reading must not create anything";
}

TEST_F(RegistryTest, CreateSetQueryThroughHandles) {
  Key key;
  ASSERT_EQ(reg_.CreateKey(Root::LocalMachine, kSettings, &key), ERROR_SUCCESS);
  ASSERT_EQ(RegSetString(key, u"ResPath", u"/opt/vant/한국어/VANTUploadRes.cat"), ERROR_SUCCESS);
  ASSERT_EQ(RegSetDword(key, u"LangID", 1042), ERROR_SUCCESS);
  ASSERT_EQ(RegCloseKey(&key), ERROR_SUCCESS);

  Key reader;
  ASSERT_EQ(
      Registry(file_).OpenKey(Root::LocalMachine, u"software\\talvek\\vantupload professional",
                              Access::Query, &reader),
      ERROR_SUCCESS);
  std::u16string path;
  uint32_t lang = 0;
  EXPECT_EQ(RegQueryString(reader, u"respath", &path, 256), ERROR_SUCCESS);
  EXPECT_EQ(path, u"/opt/vant/한국어/VANTUploadRes.cat");
  EXPECT_EQ(RegQueryDword(reader, u"LANGID", &lang), ERROR_SUCCESS);
  EXPECT_EQ(lang, 1042u);
  EXPECT_EQ(ReadHostFile(file_),
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE]\n\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\TALVEK]\n\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\TALVEK\\VANTUpload Professional]\n"
            "\"ResPath\"=\"/opt/vant/한국어/VANTUploadRes.cat\"\n"
            "\"LangID\"=dword:00000412\n");
}

TEST_F(RegistryTest, QueryFailuresTellTheCaseApart) {
  Key key;
  ASSERT_EQ(reg_.CreateKey(Root::LocalMachine, kSettings, &key), ERROR_SUCCESS);
  ASSERT_EQ(RegSetString(key, u"ResPath", std::u16string(127, u'x')), ERROR_SUCCESS);
  ASSERT_EQ(RegSetString(key, u"Long", std::u16string(128, u'x')), ERROR_SUCCESS);
  ASSERT_EQ(RegSetDword(key, u"LangID", 1041), ERROR_SUCCESS);
  Key closed;

  struct Row {
    const char* what;
    const Key* key;
    std::u16string name;
    size_t maxBytes;
    long stringStatus;
    long dwordStatus;
  };
  const Row rows[] = {
      {"127 characters and terminator fit 256 bytes", &key, u"ResPath", 256, ERROR_SUCCESS,
       ERROR_UNSUPPORTED_TYPE},
      {"128 characters do not", &key, u"Long", 256, ERROR_MORE_DATA, ERROR_UNSUPPORTED_TYPE},
      {"no limit", &key, u"Long", kNoSizeLimit, ERROR_SUCCESS, ERROR_UNSUPPORTED_TYPE},
      {"a dword is no string", &key, u"LangID", 256, ERROR_UNSUPPORTED_TYPE, ERROR_SUCCESS},
      {"missing value", &key, u"Nope", 256, ERROR_FILE_NOT_FOUND, ERROR_FILE_NOT_FOUND},
      {"missing default value", &key, u"", 256, ERROR_FILE_NOT_FOUND, ERROR_FILE_NOT_FOUND},
      {"closed handle", &closed, u"ResPath", 256, ERROR_INVALID_HANDLE, ERROR_INVALID_HANDLE},
  };
  for (const Row& row : rows) {
    std::u16string text = u"unchanged";
    uint32_t number = 7;
    const long stringStatus = RegQueryString(*row.key, row.name, &text, row.maxBytes);
    EXPECT_EQ(stringStatus, row.stringStatus) << row.what;
    EXPECT_EQ(RegQueryDword(*row.key, row.name, &number), row.dwordStatus) << row.what;
    if (stringStatus != ERROR_SUCCESS) {
      EXPECT_EQ(text, u"unchanged") << row.what;
    }
  }
  EXPECT_EQ(RegQueryString(key, u"ResPath", nullptr, 256), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegQueryDword(key, u"LangID", nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, QueryOnlyKeysRefuseEveryChange) {
  Key writer;
  ASSERT_EQ(reg_.CreateKey(Root::ClassesRoot, u"VANT.FileUpload", &writer), ERROR_SUCCESS);
  ASSERT_EQ(RegSetString(writer, u"", u"FileUpload Class"), ERROR_SUCCESS);
  const std::string before = ReadHostFile(file_);

  Key reader;
  ASSERT_EQ(reg_.OpenKey(Root::ClassesRoot, u"VANT.FileUpload", Access::Query, &reader),
            ERROR_SUCCESS);
  Key child;
  EXPECT_EQ(RegSetString(reader, u"", u"x"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegSetDword(reader, u"n", 1), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteValue(reader, u""), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteTree(reader, u""), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegCreateKey(reader, u"CLSID", &child), ERROR_ACCESS_DENIED);
  EXPECT_EQ(ReadHostFile(file_), before);
}

TEST_F(RegistryTest, DeleteTreeRemovesKeyAndSubtree) {
  Tree setup;
  ASSERT_EQ(reg_.Edit([](Tree& t) {
    t.SetString(Root::ClassesRoot, u"CLSID\\{A}", u"", u"A Class");
    t.SetString(Root::ClassesRoot, u"CLSID\\{A}\\InprocServer32", u"ThreadingModel", u"Apartment");
    t.CreateKey(Root::ClassesRoot, u"CLSID\\{A}\\Programmable");
    return t.SetString(Root::ClassesRoot, u"CLSID\\{B}", u"", u"B Class");
  }),
            ERROR_SUCCESS);
  Key open;
  ASSERT_EQ(reg_.OpenKey(Root::ClassesRoot, u"CLSID\\{A}\\InprocServer32", Access::Write, &open),
            ERROR_SUCCESS);

  EXPECT_EQ(reg_.DeleteTree(Root::ClassesRoot, u"clsid\\{a}"), ERROR_SUCCESS);
  EXPECT_EQ(reg_.DeleteTree(Root::ClassesRoot, u"CLSID\\{A}"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(reg_.DeleteTree(Root::ClassesRoot, u""), ERROR_ACCESS_DENIED);

  Key clsid;
  ASSERT_EQ(reg_.OpenKey(Root::ClassesRoot, u"CLSID", Access::Write, &clsid), ERROR_SUCCESS);
  std::vector<std::u16string> names;
  ASSERT_EQ(RegEnumSubKeys(clsid, &names), ERROR_SUCCESS);
  EXPECT_EQ(names, std::vector<std::u16string>{u"{B}"});
  // A handle on a deleted key reports that, as Win32 does, and does not bring the key back.
  std::u16string text;
  EXPECT_EQ(RegQueryString(open, u"ThreadingModel", &text, 256), ERROR_KEY_DELETED);
  EXPECT_EQ(RegSetString(open, u"ThreadingModel", u"Both"), ERROR_KEY_DELETED);

  // An empty sub key empties the key but keeps it.
  EXPECT_EQ(RegDeleteTree(clsid, u""), ERROR_SUCCESS);
  EXPECT_EQ(RegEnumSubKeys(clsid, &names), ERROR_SUCCESS);
  EXPECT_TRUE(names.empty());
  EXPECT_EQ(RegDeleteTree(clsid, u"{B}"), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, KeysOpenRelativeToAnOpenKey) {
  Key clsid;
  ASSERT_EQ(reg_.CreateKey(Root::ClassesRoot, u"CLSID\\{A}", &clsid), ERROR_SUCCESS);
  Key inproc;
  ASSERT_EQ(RegCreateKey(clsid, u"InprocServer32", &inproc), ERROR_SUCCESS);
  ASSERT_EQ(RegSetString(inproc, u"", u"/usr/lib/libvantupload.so"), ERROR_SUCCESS);
  Key again;
  ASSERT_EQ(RegOpenKey(clsid, u"inprocserver32", Access::Query, &again), ERROR_SUCCESS);
  std::u16string module;
  EXPECT_EQ(RegQueryString(again, u"", &module, kNoSizeLimit), ERROR_SUCCESS);
  EXPECT_EQ(module, u"/usr/lib/libvantupload.so");
  EXPECT_EQ(RegOpenKey(clsid, u"Nope", Access::Query, &again), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegOpenKey(Key(), u"x", Access::Query, &again), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(&again), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(&again), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, ReadsSeeAHandEditAtOnce) {
  Key key;
  ASSERT_EQ(reg_.CreateKey(Root::LocalMachine, kSettings, &key), ERROR_SUCCESS);
  ASSERT_EQ(RegSetDword(key, u"LangID", 1033), ERROR_SUCCESS);
  WriteHostFile(file_,
                "Windows Registry Editor Version 5.00\r\n\r\n"
                "; switched to Japanese by the administrator\r\n"
                "[HKLM\\Software\\Talvek\\VANTUpload Professional]\r\n"
                "\"LangID\"=dword:00000411\r\n");
  uint32_t lang = 0;
  EXPECT_EQ(RegQueryDword(key, u"LangID", &lang), ERROR_SUCCESS);
  EXPECT_EQ(lang, 1041u);
}

TEST_F(RegistryTest, EditIsOneTransactionAndAFailedEditWritesNothing) {
  ASSERT_EQ(reg_.Edit([](Tree& t) {
    for (uint32_t i = 0; i < 150; ++i) {
      const long status =
          t.SetDword(Root::ClassesRoot, u"Batch", Ascii("v" + std::to_string(i)), i);
      if (status != ERROR_SUCCESS) return status;
    }
    return ERROR_SUCCESS;
  }),
            ERROR_SUCCESS);
  const std::string before = ReadHostFile(file_);
  EXPECT_EQ(std::count(before.begin(), before.end(), '\n'), 153);

  const long failed = reg_.Edit([](Tree& t) {
    t.DeleteTree(Root::ClassesRoot, u"Batch");
    return ERROR_INVALID_PARAMETER;
  });
  EXPECT_EQ(failed, ERROR_INVALID_PARAMETER);
  EXPECT_EQ(reg_.Edit([](Tree&) -> long { throw std::runtime_error("callback bug"); }),
            ERROR_GEN_FAILURE);
  EXPECT_EQ(ReadHostFile(file_), before);
}

TEST_F(RegistryTest, AnUnchangedEditLeavesAHandWrittenFileAlone) {
  const std::string handWritten =
      "Windows Registry Editor Version 5.00\r\n\r\n; keep me\r\n[HKCR\\A]\r\n@=\"x\"\r\n";
  WriteHostFile(file_, handWritten);
  struct stat before {};
  ASSERT_EQ(::stat(file_.c_str(), &before), 0);
  Key key;
  ASSERT_EQ(reg_.CreateKey(Root::ClassesRoot, u"a", &key), ERROR_SUCCESS);
  ASSERT_EQ(RegSetString(key, u"", u"x"), ERROR_SUCCESS);
  struct stat after {};
  ASSERT_EQ(::stat(file_.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(ReadHostFile(file_), handWritten);
}

TEST_F(RegistryTest, InvalidArgumentsAreRefusedUpFront) {
  Key key;
  EXPECT_EQ(reg_.OpenKey(Root::ClassesRoot, u"A", Access::Query, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(reg_.CreateKey(Root::ClassesRoot, u"A", nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(reg_.CreateKey(Root::ClassesRoot, u"A\\\\B", &key), ERROR_INVALID_PARAMETER);
  ASSERT_EQ(reg_.CreateKey(Root::ClassesRoot, u"A", &key), ERROR_SUCCESS);
  EXPECT_EQ(RegSetString(key, u"n", u"two\nlines"), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegEnumSubKeys(key, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(reg_.Read(nullptr), ERROR_INVALID_PARAMETER);
}

}  // namespace
}  // namespace vant::registry

namespace vant::registry {
namespace {

// Lookups reuse the parsed file while its text is unchanged, yet an edit by
// hand is seen at once, even one that keeps the size and the timestamp.
TEST(RegistryParsedCacheTest, UnchangedTextIsSharedAndEditsAreSeen) {
  testing::TempDir dir;
  const std::string file = dir.Host("registry.reg");
  const Registry reg(file);
  Key key;
  ASSERT_EQ(reg.CreateKey(Root::LocalMachine, u"SOFTWARE\\A", &key), ERROR_SUCCESS);
  ASSERT_EQ(RegSetString(key, u"V", u"one"), ERROR_SUCCESS);

  std::shared_ptr<const Tree> first, second;
  ASSERT_EQ(reg.Snapshot(&first), ERROR_SUCCESS);
  ASSERT_EQ(reg.Snapshot(&second), ERROR_SUCCESS);
  EXPECT_EQ(first.get(), second.get()) << "same text, same parsed tree";

  struct stat before {};
  ASSERT_EQ(::stat(file.c_str(), &before), 0);
  std::string text = testing::ReadHostFile(file);
  const std::size_t at = text.find("\"one\"");
  ASSERT_NE(at, std::string::npos) << text;
  text.replace(at, 5, "\"two\"");
  testing::WriteHostFile(file, text);
  const timespec times[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);

  std::u16string value;
  EXPECT_EQ(RegQueryString(key, u"V", &value, 1024), ERROR_SUCCESS);
  EXPECT_EQ(value, u"two");
}

// A file last written long ago is trusted by its stamp and not read again;
// every way of changing it still shows at the next lookup, and a read fault
// still fails the lookup.
TEST(RegistryParsedCacheTest, AnOldFileIsTrustedByItsStampUntilItChanges) {
  const auto setOld = [](const std::string& file) {
    const timespec old[2] = {{1'000'000'000, 0}, {1'000'000'000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), old, 0), 0);
  };
  using Change = std::function<void(const std::string& file, const std::string& next)>;
  const struct {
    const char* name;
    Change change;
    const char16_t* expected;  // nullptr: the value is gone
  } rows[] = {
      {"rewritten in place, time put back",
       [&](const std::string& file, const std::string& next) {
         testing::WriteHostFile(file, next);
         setOld(file);
       },
       u"two"},
      {"replaced by a rename, time put back",
       [&](const std::string& file, const std::string& next) {
         testing::WriteHostFile(file + ".new", next);
         setOld(file + ".new");
         ASSERT_EQ(std::rename((file + ".new").c_str(), file.c_str()), 0);
       },
       u"two"},
      {"deleted", [](const std::string& file, const std::string&) { std::remove(file.c_str()); },
       nullptr},
  };
  const std::u16string key = u"HKLM\\SOFTWARE\\A";
  for (const auto& row : rows) {
    testing::TempDir dir;
    const std::string file = dir.Host("registry.reg");
    const Registry reg(file);
    ASSERT_EQ(reg.Edit([&](Tree& t) { return t.SetString(key, u"V", u"one"); }), ERROR_SUCCESS);
    std::string next = testing::ReadHostFile(file);
    next.replace(next.find("\"one\""), 5, "\"two\"");
    setOld(file);
    std::shared_ptr<const Tree> first, later;
    ASSERT_EQ(reg.Snapshot(&first), ERROR_SUCCESS);
    ASSERT_EQ(reg.Snapshot(&later), ERROR_SUCCESS);
    EXPECT_EQ(first.get(), later.get()) << row.name;

    detail::SetFaultHook([](std::string_view step) { return step == "read" ? EIO : 0; });
    EXPECT_EQ(reg.Snapshot(&later), ERROR_READ_FAULT) << row.name;
    detail::SetFaultHook(nullptr);

    row.change(file, next);
    ASSERT_EQ(reg.Snapshot(&later), ERROR_SUCCESS) << row.name;
    const Value* value = later->FindValue(key, u"V");
    if (row.expected == nullptr) {
      EXPECT_EQ(value, nullptr) << row.name;
      continue;
    }
    ASSERT_NE(value, nullptr) << row.name;
    EXPECT_EQ(value->text, row.expected) << row.name;
  }
}

}  // namespace
}  // namespace vant::registry
