#include "platform/registry/tree.h"

#include <gtest/gtest.h>

#include "platform/registry/status.h"

namespace vant::registry {
namespace {

std::vector<std::u16string> AllPaths(const Tree& tree) {
  std::vector<std::u16string> paths;
  tree.ForEachKey(
      [&](const std::u16string& path, const std::vector<Value>&) { paths.push_back(path); });
  return paths;
}

TEST(TreeTest, NamesAreCaseInsensitiveAndKeepTheirFirstSpelling) {
  Tree tree;
  ASSERT_EQ(tree.SetString(Root::ClassesRoot, u"VANT.FileUpload", u"ThreadingModel", u"Free"),
            ERROR_SUCCESS);
  ASSERT_EQ(tree.SetString(Root::ClassesRoot, u"vant.fileupload", u"THREADINGMODEL", u"Apartment"),
            ERROR_SUCCESS);
  ASSERT_EQ(tree.CreateKey(u"hkcr\\VANT.FILEUPLOAD\\clsid"), ERROR_SUCCESS);

  const Value* value = tree.FindValue(u"HKEY_CLASSES_ROOT\\Vant.FileUpload", u"threadingmodel");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->name, u"ThreadingModel");
  EXPECT_EQ(value->text, u"Apartment");
  // The new sub key takes its parent's stored spelling; only its own segment is new.
  EXPECT_EQ(AllPaths(tree),
            (std::vector<std::u16string>{u"HKEY_CLASSES_ROOT\\VANT.FileUpload",
                                         u"HKEY_CLASSES_ROOT\\VANT.FileUpload\\clsid"}));
}

TEST(TreeTest, CreatingAKeyCreatesItsParents) {
  Tree tree;
  ASSERT_EQ(tree.CreateKey(Root::LocalMachine, u"SOFTWARE\\TALVEK\\VANTUpload Professional"),
            ERROR_SUCCESS);
  EXPECT_TRUE(tree.HasKey(Root::LocalMachine, u"software"));
  EXPECT_TRUE(tree.HasKey(Root::LocalMachine, u"Software\\Talvek"));
  EXPECT_TRUE(tree.HasKey(Root::LocalMachine, u""));
  EXPECT_FALSE(tree.HasKey(Root::ClassesRoot, u"SOFTWARE"));
}

TEST(TreeTest, KeysComeOutInTreeOrderWhateverTheInsertionOrder) {
  Tree tree;
  for (const char16_t* key : {u"b", u"A.c", u"a\\z", u"A", u"a\\B", u"a b"}) {
    ASSERT_EQ(tree.CreateKey(Root::ClassesRoot, key), ERROR_SUCCESS);
  }
  ASSERT_EQ(tree.CreateKey(Root::LocalMachine, u"x"), ERROR_SUCCESS);
  // Children directly follow their parent although ' ' and '.' sort before '\'.
  EXPECT_EQ(AllPaths(tree), (std::vector<std::u16string>{
                                u"HKEY_CLASSES_ROOT\\a",
                                u"HKEY_CLASSES_ROOT\\a\\B",
                                u"HKEY_CLASSES_ROOT\\a\\z",
                                u"HKEY_CLASSES_ROOT\\a b",
                                u"HKEY_CLASSES_ROOT\\A.c",
                                u"HKEY_CLASSES_ROOT\\b",
                                u"HKEY_LOCAL_MACHINE\\x",
                            }));
}

TEST(TreeTest, DeleteTreeRemovesTheSubtreeOnly) {
  Tree tree;
  ASSERT_EQ(tree.SetString(Root::ClassesRoot, u"CLSID\\{A}\\InprocServer32", u"", u"/lib/a.so"),
            ERROR_SUCCESS);
  ASSERT_EQ(tree.CreateKey(Root::ClassesRoot, u"CLSID\\{A}\\ProgID"), ERROR_SUCCESS);
  ASSERT_EQ(tree.CreateKey(Root::ClassesRoot, u"CLSID\\{A}B"), ERROR_SUCCESS);
  ASSERT_EQ(tree.CreateKey(Root::ClassesRoot, u"CLSID\\{B}"), ERROR_SUCCESS);

  EXPECT_EQ(tree.DeleteTree(Root::ClassesRoot, u"clsid\\{a}"), ERROR_SUCCESS);
  EXPECT_EQ(AllPaths(tree), (std::vector<std::u16string>{u"HKEY_CLASSES_ROOT\\CLSID",
                                                         u"HKEY_CLASSES_ROOT\\CLSID\\{A}B",
                                                         u"HKEY_CLASSES_ROOT\\CLSID\\{B}"}));
  EXPECT_EQ(tree.DeleteTree(Root::ClassesRoot, u"CLSID\\{A}"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(tree.DeleteTree(Root::ClassesRoot, u""), ERROR_ACCESS_DENIED);
}

TEST(TreeTest, ClearKeepsTheKeyButDropsItsContent) {
  Tree tree;
  ASSERT_EQ(tree.SetDword(Root::LocalMachine, u"K", u"n", 1), ERROR_SUCCESS);
  ASSERT_EQ(tree.CreateKey(Root::LocalMachine, u"K\\Sub\\Deeper"), ERROR_SUCCESS);
  ASSERT_EQ(tree.CreateKey(Root::LocalMachine, u"K2"), ERROR_SUCCESS);
  EXPECT_EQ(tree.Clear(KeyPath(Root::LocalMachine, u"k")), ERROR_SUCCESS);
  EXPECT_EQ(AllPaths(tree),
            (std::vector<std::u16string>{u"HKEY_LOCAL_MACHINE\\K", u"HKEY_LOCAL_MACHINE\\K2"}));
  EXPECT_EQ(tree.FindValue(Root::LocalMachine, u"K", u"n"), nullptr);
  EXPECT_EQ(tree.Clear(KeyPath(Root::LocalMachine, u"missing")), ERROR_FILE_NOT_FOUND);
}

TEST(TreeTest, SubKeysListsDirectChildrenOnly) {
  Tree tree;
  for (const char16_t* key : {u"P\\one\\deep", u"P\\Two", u"P.x", u"Q"}) {
    ASSERT_EQ(tree.CreateKey(Root::ClassesRoot, key), ERROR_SUCCESS);
  }
  std::vector<std::u16string> names;
  ASSERT_EQ(tree.SubKeys(Root::ClassesRoot, u"p", &names), ERROR_SUCCESS);
  EXPECT_EQ(names, (std::vector<std::u16string>{u"one", u"Two"}));
  ASSERT_EQ(tree.SubKeys(Root::ClassesRoot, u"", &names), ERROR_SUCCESS);
  EXPECT_EQ(names, (std::vector<std::u16string>{u"P", u"P.x", u"Q"}));
  EXPECT_EQ(tree.SubKeys(Root::ClassesRoot, u"R", &names), ERROR_FILE_NOT_FOUND);
}

TEST(TreeTest, SettingAValueReplacesItsTypeAndDeleteRemovesIt) {
  Tree tree;
  ASSERT_EQ(tree.SetString(Root::LocalMachine, u"K", u"LangID", u"1042"), ERROR_SUCCESS);
  ASSERT_EQ(tree.SetDword(Root::LocalMachine, u"K", u"langid", 1042), ERROR_SUCCESS);
  const Value* value = tree.FindValue(Root::LocalMachine, u"K", u"LangID");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->type, ValueType::Dword);
  EXPECT_EQ(value->dword, 1042u);
  EXPECT_EQ(tree.DeleteValue(Root::LocalMachine, u"K", u"LANGID"), ERROR_SUCCESS);
  EXPECT_EQ(tree.DeleteValue(Root::LocalMachine, u"K", u"LangID"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(tree.DeleteValue(Root::LocalMachine, u"Nope", u"LangID"), ERROR_FILE_NOT_FOUND);
}

TEST(TreeTest, RejectsWhatTheFileCannotHold) {
  struct Row {
    const char* what;
    std::u16string path;
    std::u16string name;
    std::u16string text;
  };
  const std::u16string lone(1, char16_t{0xD800});
  const Row rows[] = {
      {"unknown root", u"HKEY_NOWHERE\\K", u"n", u"t"},
      {"empty segment", u"HKEY_CLASSES_ROOT\\A\\\\B", u"n", u"t"},
      {"trailing backslash", u"HKEY_CLASSES_ROOT\\A\\", u"n", u"t"},
      {"line break in key", u"HKEY_CLASSES_ROOT\\A\nB", u"n", u"t"},
      {"line break in name", u"HKEY_CLASSES_ROOT\\A", u"n\n", u"t"},
      {"line break in text", u"HKEY_CLASSES_ROOT\\A", u"n", u"a\r\nb"},
      {"NUL in text", u"HKEY_CLASSES_ROOT\\A", u"n", std::u16string(u"a\0b", 3)},
      {"unpaired surrogate in text", u"HKEY_CLASSES_ROOT\\A", u"n", u"x" + lone},
      {"unpaired surrogate in name", u"HKEY_CLASSES_ROOT\\A", lone, u"t"},
  };
  for (const Row& row : rows) {
    Tree tree;
    EXPECT_EQ(tree.SetString(row.path, row.name, row.text), ERROR_INVALID_PARAMETER) << row.what;
    EXPECT_TRUE([&] {
      bool empty = true;
      tree.ForEachKey([&](const std::u16string&, const std::vector<Value>&) { empty = false; });
      return empty;
    }()) << row.what
         << ": a rejected value must leave no key behind";
  }
}

}  // namespace
}  // namespace vant::registry
