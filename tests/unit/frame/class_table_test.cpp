#include "module/class_table.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "frame/type_library.h"
#include "module/comp_reg.h"
#include "platform/automation/bstr.h"
#include "unit/frame/expected_classes.h"

namespace vant::frame {
namespace {

using testing::ExpectedClass;
using testing::kExpectedCreatable;
using testing::kExpectedInternal;

void ExpectClasses(std::span<const ClassInfo> actual, std::span<const ExpectedClass> expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const ExpectedClass& want = expected[i];
    const ClassInfo& got = actual[i];
    SCOPED_TRACE(want.name);
    EXPECT_EQ(Utf16ToUtf8(got.name), want.name);
    EXPECT_EQ(FormatGuid(got.clsid), want.clsid);
    EXPECT_EQ(Utf16ToUtf8(got.progId), want.progId);
    const std::string versioned = *want.progId == '\0' ? "" : std::string(want.progId) + ".1";
    EXPECT_EQ(Utf16ToUtf8(got.versionedProgId), versioned);
    EXPECT_EQ(Utf16ToUtf8(got.description), std::string(want.name) + " Class");
    EXPECT_EQ(Utf16ToUtf8(got.interfaceName), want.interfaceName);
    EXPECT_EQ(FormatGuid(got.iid), want.iid);
    ASSERT_NE(got.typeInfo, nullptr);
    EXPECT_EQ(Utf16ToUtf8(got.typeInfo().name), want.interfaceName);
    EXPECT_EQ(FormatGuid(got.typeInfo().iid), want.iid);
  }
}

TEST(ClassTable, CreatableClassesHaveTheirIdentifiers) {
  ExpectClasses(CreatableClasses(), kExpectedCreatable);
}

TEST(ClassTable, InternalClassesHaveInterfacesButNoClassIdentifier) {
  ExpectClasses(InternalClasses(), kExpectedInternal);
  for (const ClassInfo& info : InternalClasses()) {
    EXPECT_EQ(FindClass(info.clsid), nullptr) << Utf16ToUtf8(info.name);
  }
}

TEST(ClassTable, FindClassKnowsOnlyCreatableClasses) {
  for (const ClassInfo& info : CreatableClasses()) EXPECT_EQ(FindClass(info.clsid), &info);
  EXPECT_EQ(FindClass(IID_IDispatch), nullptr);
}

TEST(TypeLibrary, IdentityAndHelpStrings) {
  EXPECT_EQ(FormatGuid(kTypeLibId), "{1A23B247-C9CF-43F5-A7AE-6B1FF4BDB52A}");
  EXPECT_EQ(FormatGuid(kAppId), "{24919A8D-2502-49CA-B37B-C348EE6E708C}");
  EXPECT_EQ(Utf16ToUtf8(kTypeLibHelpString), "VANTUpload Professional 3.0 형식 라이브러리");
  EXPECT_EQ(Utf16ToUtf8(InterfaceHelpString(u"IFileUpload")), "IFileUpload 인터페이스");
  const InterfaceInfo& upload = CreatableClasses()[0].typeInfo();
  EXPECT_EQ(Utf16ToUtf8(MemberHelpString(upload.members[0])), "메서드 OnStartPage");
  EXPECT_EQ(Utf16ToUtf8(MemberHelpString(upload.members[2])), "속성 Form");
  EXPECT_EQ(Utf16ToUtf8(FindClass(kCompRegClsid)->helpString), "ComponentRegistrar 클래스");
}

}  // namespace
}  // namespace vant::frame
