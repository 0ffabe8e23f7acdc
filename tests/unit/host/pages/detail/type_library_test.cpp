#include "host/pages/detail/type_library.h"

#include <gtest/gtest.h>

namespace vant::host::pages::detail {
namespace {

TEST(TypeLibraryTest, RecognisesTheDatabaseLibrary) {
  const std::pair<std::string_view, bool> rows[] = {
      {R"(METADATA TYPE="typelib" UUID="{00000205-0000-0010-8000-00AA006D2EA4}" )", true},
      {R"(metadata type='TypeLib' uuid='00000201-0000-0010-8000-00aa006d2ea4')", true},
      {R"(METADATA TYPE=typelib UUID={2A75196C-D9EB-4129-B803-931327F72D5C})", true},
      {R"(METADATA TYPE="typelib" FILE="C:\Program Files\Common Files\System\ado\msado15.dll")",
       true},
      {R"(METADATA NAME="x" TYPE = "typelib" FILE="msado28.tlb")", true},
      {R"(METADATA TYPE="typelib" UUID="{00000205-0000-0010-8000-00AA006D2EA5}")", false},
      {R"(METADATA TYPE="typelib" FILE="C:\lib\scrrun.dll")", false},
      {R"(METADATA TYPE="cookie" FILE="msado15.dll")", false},
      {R"(METADATA SUBTYPE="typelib" FILE="msado15.dll")", false},
      {R"(METADATA TYPE="typelib" UUID="{00000205-0000-0010-8000-00AA006D2EA4)", false},
      {R"(METADATA TYPE="typelib" UUID="{00000205)", false},
      {R"(METADATA TYPE="typelib)", false},
  };
  for (const auto& [body, expected] : rows) EXPECT_EQ(NamesAdoTypeLibrary(body), expected) << body;
  // One line, so prepending it moves no page line.
  EXPECT_EQ(AdoConstantDeclarations().find('\n'), std::string_view::npos);
}

}  // namespace
}  // namespace vant::host::pages::detail
