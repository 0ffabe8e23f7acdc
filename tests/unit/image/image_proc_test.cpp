// Creation through the class table and the values before any source.
#include "module/class_table.h"
#include "unit/image/image_test_env.h"

namespace vant::image {
namespace {

TEST(ImageProcCreation, CreatableThroughTheClassTable) {
  CLSID clsid = GUID_NULL;
  for (const frame::ClassInfo& info : frame::CreatableClasses()) {
    if (info.name == kImageProcClassName) clsid = info.clsid;
  }
  const frame::ClassCreator create = frame::FindClassCreator(clsid);
  ASSERT_NE(create, nullptr);
  ComPtr<IImageProc> proc;
  ASSERT_EQ(create(IImageProc::kIid, proc.ReceiveVoid()), S_OK);
  ASSERT_TRUE(proc);
  ComPtr<ISupportErrorInfo> errors;
  ASSERT_EQ(proc->QueryInterface(IID_ISupportErrorInfo, errors.ReceiveVoid()), S_OK);
  EXPECT_EQ(errors->InterfaceSupportsErrorInfo(IImageProc::kIid), S_OK);
}

// Before any source: texts empty, numbers 0, white balance unknown.
TEST(ImageProcCreation, ValuesBeforeAnySource) {
  auto proc = CImageProc::Create();
  using TextGetter = HRESULT (CImageProc::*)(Bstr*);
  using NumberGetter = HRESULT (CImageProc::*)(int32_t*);
  const std::pair<const char*, TextGetter> texts[] = {
      {"ImageFormat", &CImageProc::get_ImageFormat},
      {"PixelFormat", &CImageProc::get_PixelFormat},
      {"MDEquipMake", &CImageProc::get_MDEquipMake},
      {"MDExifExposureTime", &CImageProc::get_MDExifExposureTime},
      {"MDExifColorSpace", &CImageProc::get_MDExifColorSpace},
  };
  for (const auto& [name, getter] : texts) {
    Bstr out(u"unset");
    EXPECT_EQ(((*proc).*getter)(&out), S_OK) << name;
    EXPECT_EQ(out.view(), u"") << name;
  }
  const std::pair<const char*, NumberGetter> numbers[] = {
      {"ImageWidth", &CImageProc::get_ImageWidth},
      {"HorizontalResolution", &CImageProc::get_HorizontalResolution},
      {"MDExifFlash", &CImageProc::get_MDExifFlash},
      {"MDExifFocalLength", &CImageProc::get_MDExifFocalLength},
      {"MDExifISOSpeed", &CImageProc::get_MDExifISOSpeed},
  };
  for (const auto& [name, getter] : numbers) {
    int32_t out = -1;
    EXPECT_EQ(((*proc).*getter)(&out), S_OK) << name;
    EXPECT_EQ(out, 0) << name;
  }
  Bstr balance;
  EXPECT_EQ(proc->get_MDExifWhiteBalance(&balance), S_OK);
  EXPECT_EQ(balance.view(), u"Unknown");
  EXPECT_EQ(proc->get_ImageWidth(nullptr), E_POINTER);
}

}  // namespace
}  // namespace vant::image
