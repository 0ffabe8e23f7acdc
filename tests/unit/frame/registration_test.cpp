#include "module/registration.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "module/comp_reg.h"
#include "platform/automation/bstr.h"
#include "platform/registry/detail/file_store.h"
#include "unit/frame/expected_classes.h"
#include "unit/frame/frame_test_env.h"

namespace vant::frame {
namespace {

using testing::kExpectedCreatable;
using testing::kExpectedInternal;
using testing::ScopedRegistry;
using testing::TempDir;

constexpr const char* kLibId = "{1A23B247-C9CF-43F5-A7AE-6B1FF4BDB52A}";
constexpr const char* kAppId = "{24919A8D-2502-49CA-B37B-C348EE6E708C}";
constexpr const char* kMarshaler = "{00020424-0000-0000-C000-000000000046}";
constexpr const char* kConfigKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\TALVEK\\VANTUpload Professional";

// Entries of one creatable class with ProgIDs: key, value name ("@" for the
// default value, "" for a key that only has to exist), data. %P is the
// ProgID, %C the class identifier, %D the description, %M the module.
const char* const kProgIdClassRows[][3] = {
    {"HKEY_CLASSES_ROOT\\%P.1", "@", "%D"},
    {"HKEY_CLASSES_ROOT\\%P.1\\CLSID", "@", "%C"},
    {"HKEY_CLASSES_ROOT\\%P", "@", "%D"},
    {"HKEY_CLASSES_ROOT\\%P\\CLSID", "@", "%C"},
    {"HKEY_CLASSES_ROOT\\%P\\CurVer", "@", "%P.1"},
    {"HKEY_CLASSES_ROOT\\CLSID\\%C", "@", "%D"},
    {"HKEY_CLASSES_ROOT\\CLSID\\%C\\ProgID", "@", "%P.1"},
    {"HKEY_CLASSES_ROOT\\CLSID\\%C\\VersionIndependentProgID", "@", "%P"},
    {"HKEY_CLASSES_ROOT\\CLSID\\%C\\Programmable", "", ""},
    {"HKEY_CLASSES_ROOT\\CLSID\\%C\\InprocServer32", "@", "%M"},
    {"HKEY_CLASSES_ROOT\\CLSID\\%C\\InprocServer32", "ThreadingModel", "Apartment"},
    {"HKEY_CLASSES_ROOT\\CLSID\\%C\\TypeLib", "@", "%L"},
};
const char* const kAppIdValueRow[3] = {"HKEY_CLASSES_ROOT\\CLSID\\%C", "AppID", "%A"};

// The registrar, the application identifier and the type library.
const char* const kFixedRows[][3] = {
    {"HKEY_CLASSES_ROOT\\AppID\\%A", "@", "VANT"},
    {"HKEY_CLASSES_ROOT\\AppID\\VANTUpload.DLL", "AppID", "%A"},
    {"HKEY_CLASSES_ROOT\\CLSID\\{4CA564D7-4F81-4C2C-9429-6609A57D26A5}", "@", "CompReg Class"},
    {"HKEY_CLASSES_ROOT\\CLSID\\{4CA564D7-4F81-4C2C-9429-6609A57D26A5}\\InprocServer32", "@", "%M"},
    {"HKEY_CLASSES_ROOT\\CLSID\\{4CA564D7-4F81-4C2C-9429-6609A57D26A5}\\InprocServer32",
     "ThreadingModel", "Apartment"},
    {"HKEY_CLASSES_ROOT\\CLSID\\{4CA564D7-4F81-4C2C-9429-6609A57D26A5}\\TypeLib", "@", "%L"},
    {"HKEY_CLASSES_ROOT\\TypeLib\\%L\\3.0", "@", "VANTUpload Professional 3.0 형식 라이브러리"},
    {"HKEY_CLASSES_ROOT\\TypeLib\\%L\\3.0\\FLAGS", "@", "0"},
    {"HKEY_CLASSES_ROOT\\TypeLib\\%L\\3.0\\0\\win32", "@", "%M"},
    {"HKEY_CLASSES_ROOT\\TypeLib\\%L\\3.0\\HELPDIR", "@", "%F"},
};

// Each interface of the library: %I its identifier, %N its name.
const char* const kInterfaceRows[][3] = {
    {"HKEY_CLASSES_ROOT\\Interface\\%I", "@", "%N"},
    {"HKEY_CLASSES_ROOT\\Interface\\%I\\ProxyStubClsid32", "@", "%S"},
    {"HKEY_CLASSES_ROOT\\Interface\\%I\\TypeLib", "@", "%L"},
    {"HKEY_CLASSES_ROOT\\Interface\\%I\\TypeLib", "Version", "3.0"},
};

struct Placeholders {
  std::string progId, clsid, description, iid, interfaceName;
};

std::string Expand(std::string text, const Placeholders& p, const std::string& module) {
  const std::string folder = module.substr(0, module.find_last_of('/'));
  const std::pair<const char*, std::string> subs[] = {
      {"%P", p.progId},        {"%C", p.clsid},    {"%D", p.description}, {"%I", p.iid},
      {"%N", p.interfaceName}, {"%M", module},     {"%F", folder},        {"%L", kLibId},
      {"%A", kAppId},          {"%S", kMarshaler},
  };
  for (const auto& [from, to] : subs) {
    for (size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
      text.replace(at, 2, to);
    }
  }
  return text;
}

// A registry as comparable lines: "key" for every key, "key | name | data"
// for every value; parents of every key are listed too, roots are not.
using Lines = std::set<std::string>;

void AddKeyWithParents(Lines& lines, const std::string& key) {
  for (size_t at = key.find('\\'); at != std::string::npos; at = key.find('\\', at + 1)) {
    lines.insert(key.substr(0, at));
  }
  lines.insert(key);
  lines.erase("HKEY_CLASSES_ROOT");
  lines.erase("HKEY_LOCAL_MACHINE");
}

void AddRow(Lines& lines, const char* const row[3], const Placeholders& p, const std::string& m) {
  const std::string key = Expand(row[0], p, m);
  AddKeyWithParents(lines, key);
  if (*row[1] != '\0') lines.insert(key + " | " + row[1] + " | " + Expand(row[2], p, m));
}

Lines ActualLines(const registry::Tree& tree) {
  Lines lines;
  tree.ForEachKey([&](const std::u16string& path, const std::vector<registry::Value>& values) {
    const std::string key = Utf16ToUtf8(path);
    AddKeyWithParents(lines, key);
    for (const registry::Value& v : values) {
      const std::string name = v.name.empty() ? "@" : Utf16ToUtf8(v.name);
      const std::string data = v.type == registry::ValueType::Dword
                                   ? "dword:" + std::to_string(v.dword)
                                   : Utf16ToUtf8(v.text);
      lines.insert(key + " | " + name + " | " + data);
    }
  });
  return lines;
}

Lines ExpectedAfterRegistration(const std::string& module, const std::string& resPath) {
  Lines lines;
  for (const auto& row : kFixedRows) AddRow(lines, row, {}, module);
  for (const auto& c : kExpectedCreatable) {
    if (*c.progId == '\0') continue;  // the registrar: fixed rows above
    const Placeholders p{c.progId, c.clsid, std::string(c.name) + " Class", "", ""};
    for (const auto& row : kProgIdClassRows) AddRow(lines, row, p, module);
    if (std::string(c.name) != "IVirusInfo") AddRow(lines, kAppIdValueRow, p, module);
  }
  auto addInterface = [&](const testing::ExpectedClass& c) {
    const Placeholders p{"", "", "", c.iid, c.interfaceName};
    for (const auto& row : kInterfaceRows) AddRow(lines, row, p, module);
  };
  std::for_each(std::begin(kExpectedCreatable), std::end(kExpectedCreatable), addInterface);
  std::for_each(std::begin(kExpectedInternal), std::end(kExpectedInternal), addInterface);
  lines.insert(std::string(kConfigKey) + " | ResPath | " + resPath);
  lines.insert(std::string(kConfigKey) + " | LangID | dword:1033");
  AddKeyWithParents(lines, kConfigKey);
  return lines;
}

// Prints what is missing and what is extra, one line each.
void ExpectSameLines(const Lines& got, const Lines& want) {
  for (const std::string& line : want) EXPECT_TRUE(got.count(line)) << "missing: " << line;
  for (const std::string& line : got) EXPECT_TRUE(want.count(line)) << "unexpected: " << line;
}

std::string ModuleForTest() { return ModuleHostPath(); }

TEST(Registration, WritesEveryEntryAndNothingElse) {
  const ScopedRegistry reg;
  ASSERT_FALSE(ModuleForTest().empty());
  ASSERT_EQ(RegisterServer(), S_OK);
  const Lines want = ExpectedAfterRegistration(ModuleForTest(), DefaultResPath(ModuleForTest()));
  ExpectSameLines(ActualLines(reg.Read()), want);
  // Registering again changes nothing.
  ASSERT_EQ(RegisterServer(), S_OK);
  ExpectSameLines(ActualLines(reg.Read()), want);
}

TEST(Registration, UnregistrationLeavesOnlySharedRootsAndConfiguration) {
  const ScopedRegistry reg;
  ASSERT_EQ(RegisterServer(), S_OK);
  ASSERT_EQ(UnregisterServer(), S_OK);
  Lines want = {"HKEY_CLASSES_ROOT\\AppID", "HKEY_CLASSES_ROOT\\CLSID",
                "HKEY_CLASSES_ROOT\\Interface", "HKEY_CLASSES_ROOT\\TypeLib"};
  want.insert(std::string(kConfigKey) + " | ResPath | " + DefaultResPath(ModuleForTest()));
  want.insert(std::string(kConfigKey) + " | LangID | dword:1033");
  AddKeyWithParents(want, kConfigKey);
  ExpectSameLines(ActualLines(reg.Read()), want);
  // Removing what is already gone succeeds.
  EXPECT_EQ(UnregisterServer(), S_OK);
}

TEST(Registration, ForeignEntriesSurviveAndStaleClassEntriesDoNot) {
  const ScopedRegistry reg;
  const std::u16string foreignClass =
      u"HKEY_CLASSES_ROOT\\CLSID\\{11111111-2222-3333-4444-555555555555}";
  const std::u16string oldLibrary =
      u"HKEY_CLASSES_ROOT\\TypeLib\\{1A23B247-C9CF-43F5-A7AE-6B1FF4BDB52A}\\2.0";
  const std::u16string stale =
      u"HKEY_CLASSES_ROOT\\CLSID\\{9B739684-14D2-447F-865E-28E21576139A}\\LocalServer32";
  ASSERT_EQ(reg.Open().Edit([&](registry::Tree& t) {
    t.SetString(foreignClass, u"", u"Other Class");
    t.SetString(oldLibrary, u"", u"older library");
    return t.SetString(stale, u"", u"/old/server");
  }),
            registry::ERROR_SUCCESS);

  ASSERT_EQ(RegisterServer(), S_OK);
  registry::Tree tree = reg.Read();
  EXPECT_FALSE(tree.HasKey(stale));
  EXPECT_TRUE(tree.HasKey(foreignClass));

  ASSERT_EQ(UnregisterServer(), S_OK);
  tree = reg.Read();
  EXPECT_TRUE(tree.HasKey(foreignClass));
  EXPECT_TRUE(tree.HasKey(oldLibrary));
  EXPECT_FALSE(tree.HasKey(oldLibrary.substr(0, oldLibrary.size() - 4) + u"\\3.0"));
}

TEST(Registration, MessageConfigurationIsWrittenOnlyWhenMissing) {
  struct Row {
    const char* name;
    const char16_t* resPath;  // nullptr: absent before registration
    bool langIdPresent;
  };
  const Row rows[] = {
      {"both absent", nullptr, false},
      {"only ResPath set", u"C:\\custom\\texts.cat", false},
      {"only LangID set", nullptr, true},
      {"both set", u"/srv/texts.cat", true},
  };
  const std::string defaultPath = DefaultResPath(ModuleForTest());
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const ScopedRegistry reg;
    ASSERT_EQ(reg.Open().Edit([&](registry::Tree& t) {
      if (row.resPath) t.SetString(Utf8ToUtf16(kConfigKey), u"ResPath", row.resPath);
      if (row.langIdPresent) t.SetDword(Utf8ToUtf16(kConfigKey), u"LangID", 1042);
      return registry::ERROR_SUCCESS;
    }),
              registry::ERROR_SUCCESS);
    ASSERT_EQ(RegisterServer(), S_OK);
    const registry::Tree tree = reg.Read();
    const registry::Value* res = tree.FindValue(Utf8ToUtf16(kConfigKey), u"ResPath");
    const registry::Value* lang = tree.FindValue(Utf8ToUtf16(kConfigKey), u"LangID");
    ASSERT_NE(res, nullptr);
    ASSERT_NE(lang, nullptr);
    EXPECT_EQ(Utf16ToUtf8(res->text), row.resPath ? Utf16ToUtf8(row.resPath) : defaultPath);
    EXPECT_EQ(lang->dword, row.langIdPresent ? 1042u : 1033u);
  }
}

TEST(Registration, AFailedWriteLeavesTheRegistryAsItWas) {
  const ScopedRegistry reg;
  registry::detail::SetFaultHook(
      [](std::string_view step) { return step == "write" ? ENOSPC : 0; });
  const HRESULT hr = RegisterServer();
  registry::detail::SetFaultHook({});
  EXPECT_EQ(hr, HresultFromWin32(registry::ERROR_DISK_FULL));
  EXPECT_TRUE(ActualLines(reg.Read()).empty());
}

TEST(Registration, OneClassAtATime) {
  const ScopedRegistry reg;
  const std::u16string upload = u"HKEY_CLASSES_ROOT\\CLSID\\{9B739684-14D2-447F-865E-28E21576139A}";
  const std::u16string progress =
      u"HKEY_CLASSES_ROOT\\CLSID\\{F9B424D4-51A1-40E0-8EB1-1B9097AF9811}";
  ASSERT_EQ(RegisterOneClass(*ParseGuid(upload.substr(upload.size() - 38))), S_OK);
  registry::Tree tree = reg.Read();
  EXPECT_TRUE(tree.HasKey(upload));
  EXPECT_TRUE(tree.HasKey(u"HKEY_CLASSES_ROOT\\VANT.FileUpload.1"));
  EXPECT_FALSE(tree.HasKey(progress));
  EXPECT_FALSE(tree.HasKey(u"HKEY_CLASSES_ROOT\\TypeLib"));
  EXPECT_EQ(RegisterOneClass(IID_IDispatch), CLASS_E_CLASSNOTAVAILABLE);
  ASSERT_EQ(UnregisterOneClass(*ParseGuid(upload.substr(upload.size() - 38))), S_OK);
  EXPECT_FALSE(reg.Read().HasKey(upload));
}

TEST(Registration, DefaultCatalogPathPrefersTheCopyBesideTheModule) {
  const TempDir dir;
  const std::string module = dir.Host("build/libvantupload.so");
  const std::string beside = dir.Host("build/resources/messages.cat");
  const std::string source = dir.Host("resources/messages.cat");
  EXPECT_EQ(DefaultResPath(module), beside) << "neither exists";
  dir.Write("resources/messages.cat", "[1033]\n");
  EXPECT_EQ(DefaultResPath(module), source);
  dir.Write("build/resources/messages.cat", "[1033]\n");
  EXPECT_EQ(DefaultResPath(module), beside);
}

}  // namespace
}  // namespace vant::frame
