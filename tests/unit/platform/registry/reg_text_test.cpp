#include "platform/registry/reg_text.h"

#include <gtest/gtest.h>

#include "platform/registry/status.h"

namespace vant::registry {
namespace {

std::string Format(const Tree& tree) {
  std::string text;
  EXPECT_EQ(FormatRegText(tree, &text), ERROR_SUCCESS);
  return text;
}

TEST(RegTextTest, WritesTheExportLayout) {
  Tree tree;
  ASSERT_EQ(tree.SetString(Root::ClassesRoot, u"VANT.FileUpload", u"ThreadingModel", u"Apartment"),
            ERROR_SUCCESS);
  ASSERT_EQ(tree.SetString(Root::ClassesRoot, u"VANT.FileUpload", u"", u"FileUpload Class"),
            ERROR_SUCCESS);
  ASSERT_EQ(tree.SetDword(Root::LocalMachine, u"SOFTWARE\\TALVEK", u"LangID", 0x409),
            ERROR_SUCCESS);
  ASSERT_EQ(tree.CreateKey(Root::ClassesRoot, u"VANT.FileUpload\\Programmable"), ERROR_SUCCESS);

  EXPECT_EQ(Format(tree),
            "Windows Registry Editor Version 5.00\n"
            "\n"
            "[HKEY_CLASSES_ROOT\\VANT.FileUpload]\n"
            "@=\"FileUpload Class\"\n"
            "\"ThreadingModel\"=\"Apartment\"\n"
            "\n"
            "[HKEY_CLASSES_ROOT\\VANT.FileUpload\\Programmable]\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE]\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\TALVEK]\n"
            "\"LangID\"=dword:00000409\n");
  EXPECT_EQ(Format(Tree()), "Windows Registry Editor Version 5.00\n");
}

TEST(RegTextTest, EveryValueKindSurvivesARoundTrip) {
  struct Row {
    const char* what;
    std::u16string name;
    ValueType type;
    std::u16string text;
    uint32_t dword;
  };
  const Row rows[] = {
      {"default value", u"", ValueType::String, u"FileUpload Class", 0},
      {"empty string", u"Empty", ValueType::String, u"", 0},
      {"quotes", u"Quote\"d", ValueType::String, u"say \"hi\"", 0},
      {"backslashes", u"Path\\Name", ValueType::String, u"C:\\srv\\up\\", 0},
      {"escape lookalikes", u"n", ValueType::String, u"\\\"\\\\\"", 0},
      {"Korean", u"설명", ValueType::String, u"VANTUpload Professional 3.0 형식 라이브러리", 0},
      {"Japanese", u"説明", ValueType::String, u"ファイルのアップロード「完了」", 0},
      {"outside the BMP", u"emoji", ValueType::String, u"\U0001F600 \U00020BB7", 0},
      {"leading and trailing blanks", u" n ", ValueType::String, u"  spaced  ", 0},
      {"semicolon and brackets", u";x", ValueType::String, u"[not a key]", 0},
      {"dword zero", u"Zero", ValueType::Dword, u"", 0},
      {"dword Korean", u"LangID", ValueType::Dword, u"", 1042},
      {"dword max", u"Max", ValueType::Dword, u"", 0xFFFFFFFF},
  };
  for (const Row& row : rows) {
    Tree tree;
    ASSERT_EQ(
        tree.SetValue(u"HKEY_LOCAL_MACHINE\\K", Value{row.name, row.type, row.text, row.dword, {}}),
        ERROR_SUCCESS)
        << row.what;
    const std::string text = Format(tree);
    const Tree back = ParseRegText(text);
    const Value* value = back.FindValue(u"HKEY_LOCAL_MACHINE\\K", row.name);
    ASSERT_NE(value, nullptr) << row.what << "\n" << text;
    EXPECT_EQ(value->name, row.name) << row.what << "\n" << text;
    EXPECT_EQ(value->type, row.type) << row.what << "\n" << text;
    EXPECT_EQ(value->text, row.text) << row.what << "\n" << text;
    EXPECT_EQ(value->dword, row.dword) << row.what << "\n" << text;
    EXPECT_EQ(Format(back), text) << row.what;
  }
}

TEST(RegTextTest, ReadsAHandWrittenFile) {
  const std::string text =
      "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
      "\r\n"
      "; written by hand\r\n"
      "  [hkey_local_machine\\SOFTWARE\\TALVEK\\VANTUpload Professional]  \r\n"
      "\"ResPath\" = \"/opt/vant/VANTUploadRes.cat\"\r\n"
      "\"LangID\"=DWORD:0000040D\r\n"
      "\"Small\"=dword:ff\r\n"
      "\r\n"
      "\r\n"
      "[HKCR\\VANT.FileUpload\\CLSID]\r\n"
      "@=\"{1}\"\r\n"
      "[HKCR\\Empty]\r\n";
  const Tree tree = ParseRegText(text);
  const std::u16string key = u"HKEY_LOCAL_MACHINE\\SOFTWARE\\TALVEK\\VANTUpload Professional";
  const Value* path = tree.FindValue(key, u"respath");
  ASSERT_NE(path, nullptr);
  EXPECT_EQ(path->text, u"/opt/vant/VANTUploadRes.cat");
  const Value* lang = tree.FindValue(key, u"LangID");
  ASSERT_NE(lang, nullptr);
  EXPECT_EQ(lang->dword, 1037u);
  ASSERT_NE(tree.FindValue(key, u"Small"), nullptr);
  EXPECT_EQ(tree.FindValue(key, u"Small")->dword, 0xFFu);
  const Value* clsid = tree.FindValue(u"HKEY_CLASSES_ROOT\\VANT.FileUpload\\CLSID", u"");
  ASSERT_NE(clsid, nullptr);
  EXPECT_EQ(clsid->text, u"{1}");
  EXPECT_TRUE(tree.HasKey(u"HKEY_CLASSES_ROOT\\VANT.FileUpload"));  // implied parent
  EXPECT_TRUE(tree.HasKey(u"HKEY_CLASSES_ROOT\\Empty"));
  // Written back canonically: long root names, the hand spelling of each key.
  EXPECT_NE(Format(tree).find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\TALVEK\\VANTUpload Professional]\n"
                              "\"ResPath\"=\"/opt/vant/VANTUploadRes.cat\"\n"
                              "\"LangID\"=dword:0000040d\n"),
            std::string::npos)
      << Format(tree);
}

TEST(RegTextTest, SkipsWhatItCannotReadAndKeepsTheRest) {
  const std::string text =
      "\"Orphan\"=\"before any key\"\n"
      "[HKEY_CLASSES_ROOT\\K]\n"
      "\"Unterminated\"=\"abc\n"
      "\"TooLong\"=dword:123456789\n"
      "\"NotHex\"=dword:12xz\n"
      "\"NoEquals\" \"x\"\n"
      "\"Junk\"=\"a\" b\n"
      "\"Bare\"=word\n"
      "\"Good\"=\"yes\"\n"
      "[HKEY_NOWHERE\\K]\n"
      "\"Lost\"=\"with its key\"\n"
      "[HKEY_CLASSES_ROOT\\L\n"
      "\"AlsoLost\"=\"no closing bracket\"\n"
      "[HKEY_CLASSES_ROOT\\\\M\\]\n"
      "\"Kept\"=\"empty segments dropped\"\n";
  const Tree tree = ParseRegText(text);
  EXPECT_EQ(Format(tree),
            "Windows Registry Editor Version 5.00\n"
            "\n"
            "[HKEY_CLASSES_ROOT\\K]\n"
            "\"Good\"=\"yes\"\n"
            "\n"
            "[HKEY_CLASSES_ROOT\\M]\n"
            "\"Kept\"=\"empty segments dropped\"\n");
}

TEST(RegTextTest, HonoursDeletionLinesAndKeepsOtherKinds) {
  const std::string text =
      "REGEDIT4\n"
      "[HKEY_CLASSES_ROOT\\Gone\\Child]\n"
      "\"a\"=\"1\"\n"
      "[HKEY_CLASSES_ROOT\\Stay]\n"
      "\"drop\"=\"1\"\n"
      "\"Bin\"=hex:01,02,\\\n"
      "    03,04\n"
      "\"Expand\"=hex(2):25,00,00,00\n"
      "\"drop\"=-\n"
      "[-HKEY_CLASSES_ROOT\\Gone]\n"
      "\"ignored\"=\"under a deletion line\"\n";
  const Tree tree = ParseRegText(text);
  EXPECT_EQ(Format(tree),
            "Windows Registry Editor Version 5.00\n"
            "\n"
            "[HKEY_CLASSES_ROOT\\Stay]\n"
            "\"Bin\"=hex:01,02,03,04\n"
            "\"Expand\"=hex(2):25,00,00,00\n");
}

TEST(RegTextTest, ReadsMalformedUtf8AsReplacementCharacters) {
  const Tree tree = ParseRegText("[HKEY_CLASSES_ROOT\\K]\n\"v\"=\"a\xFF\xC3(b\"\n");
  const Value* value = tree.FindValue(u"HKEY_CLASSES_ROOT\\K", u"v");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->text, u"a\uFFFD\uFFFD(b");
}

}  // namespace
}  // namespace vant::registry
