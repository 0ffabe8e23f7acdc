// The writing members: sizes and formats decoded back, target naming, and
// the failure messages (reported once per object).
#include <stdlib.h>
#include <sys/stat.h>

#include <fstream>

#include "platform/fs/path_map.h"
#include "platform/imaging/imaging.h"
#include "unit/image/image_test_env.h"

namespace vant::image {
namespace {

using testing::ImageProcTest;
using testing::TakeReport;

using WriteTest = ImageProcTest;

std::optional<imaging::ImageFacts> Decoded(const std::u16string& windowsPath) {
  const auto host = fs::ToHostPath(windowsPath);
  return host ? imaging::ReadImageFacts(*host) : std::nullopt;
}

std::string Narrow(const Bstr& b) { return Utf16ToUtf8(b.view()); }

// Sets an environment variable for one scope.
// Lowers the image size limit for one scope.
class ScopedPixelLimit {
 public:
  explicit ScopedPixelLimit(std::uint64_t pixels) : before_(sys::CurrentSettings()) {
    sys::Settings lowered = before_;
    lowered.maxImagePixels = pixels;
    sys::InstallSettings(lowered);
  }
  ~ScopedPixelLimit() { sys::InstallSettings(before_); }

 private:
  const sys::Settings before_;
};

TEST_F(WriteTest, ThumbnailHasExactSizeAndIsJpegWhateverTheName) {
  struct Row {
    const char* source;
    std::int32_t width, height;
    const char* target;
  };
  const Row rows[] = {
      {"kodak_dc210.jpg", 100, 50, "t1.png"},
      {"kodak_dc210.jpg", 1, 1, "t2.jpg"},
      {"pil_hopper.gif", 300, 17, "t3.gif"},
      {"pil_pport_g4_1bit.tif", 64, 80, "t4.jpg"},
      {"pil_flir_ifd_tag_type.tiff", 33, 31, "t5.jpg"},
      {"exifr_png_exif_after_idat_gps.png", 20, 10, "t6.jpg"},
      {"bmpsuite_rgb16-565.bmp", 40, 20, "t7.jpg"},
      {"pil_python.ico", 32, 32, "t8.jpg"},
      {"pil_drawing.wmf", 50, 60, "t9.jpg"},
      // Reduced while decoding (1/2, 1/4): the size must still come out exact.
      {"kodak_dc210.jpg", 159, 119, "t10.jpg"},
      {"nikon_p6000_gps_DSCN0010.jpg", 321, 241, "t11.jpg"},
      {"nikon_p6000_gps_DSCN0010.jpg", 80, 60, "t12.jpg"},
  };
  for (const Row& row : rows) {
    auto proc = Loaded(row.source);
    Bstr out;
    ASSERT_EQ(proc->SaveAsThumbnail(Win(row.target), row.width, row.height, VARIANT_TRUE, &out),
              S_OK)
        << row.source << " " << TakeReport();
    EXPECT_EQ(out.view(), Win(row.target));
    const auto facts = Decoded(out.view().data());
    ASSERT_TRUE(facts) << row.source;
    EXPECT_EQ(facts->width, row.width) << row.source;
    EXPECT_EQ(facts->height, row.height) << row.source;
    EXPECT_TRUE(facts->rawFormat == imaging::kRawFormatJpeg) << row.source;
    EXPECT_EQ(imaging::PixelFormatName(facts->pixelFormat), u"24bppRGB") << row.source;
  }
}

TEST_F(WriteTest, ConvertsByExactMimeType) {
  struct Row {
    const char* mime;
    GUID format;
  };
  const Row rows[] = {
      {"image/png", imaging::kRawFormatPng}, {"image/jpeg", imaging::kRawFormatJpeg},
      {"image/gif", imaging::kRawFormatGif}, {"image/tiff", imaging::kRawFormatTiff},
      {"image/bmp", imaging::kRawFormatBmp},
  };
  for (const Row& row : rows) {
    auto proc = Loaded("canon_40d.jpg");
    Bstr out;
    const std::u16string target = Win("converted.bin");
    ASSERT_EQ(proc->ConvertImageFormat(Utf8ToUtf16(row.mime), target, VARIANT_TRUE, &out), S_OK)
        << row.mime << " " << TakeReport();
    const auto facts = Decoded(target);
    ASSERT_TRUE(facts) << row.mime;
    EXPECT_TRUE(facts->rawFormat == row.format) << row.mime;
    EXPECT_EQ(facts->width, 100) << row.mime;
    EXPECT_EQ(facts->height, 68) << row.mime;
  }
}

// Sources read through ImageMagick convert too, and a written bitmap is a
// plain 24-bit one.
TEST_F(WriteTest, BitmapSourcesAndTargets) {
  const char* const sources[] = {"bmpsuite_pal8.bmp", "pil_python.ico", "pil_drawing.wmf"};
  for (const char* source : sources) {
    auto proc = Loaded(source);
    Bstr out;
    ASSERT_EQ(proc->ConvertImageFormat(u"image/png", Win("c.png"), VARIANT_TRUE, &out), S_OK)
        << source << " " << TakeReport();
    ASSERT_EQ(proc->ConvertImageFormat(u"image/bmp", Win("c.bmp"), VARIANT_TRUE, &out), S_OK)
        << source << " " << TakeReport();
    const auto png = Decoded(Win("c.png"));
    const auto bmp = Decoded(Win("c.bmp"));
    ASSERT_TRUE(png && bmp) << source;
    EXPECT_TRUE(bmp->rawFormat == imaging::kRawFormatBmp) << source;
    EXPECT_EQ(imaging::PixelFormatName(bmp->pixelFormat), u"24bppRGB") << source;
    EXPECT_EQ(bmp->width, png->width) << source;
    EXPECT_EQ(bmp->height, png->height) << source;
  }
}

// Every failure carries the target path; no file is left behind.
TEST_F(WriteTest, UnwritableResultsFailWithTheTarget) {
  std::filesystem::create_directories(Host("folder"));
  struct Row {
    const char* what;
    std::function<HRESULT(CImageProc&, const std::u16string&, Bstr*)> call;
    std::string target;
  };
  const Row rows[] = {
      {"mime in capitals",
       [](CImageProc& p, auto& t, Bstr* o) {
         return p.ConvertImageFormat(u"IMAGE/PNG", t, VARIANT_TRUE, o);
       },
       "a.png"},
      {"unknown mime",
       [](CImageProc& p, auto& t, Bstr* o) {
         return p.ConvertImageFormat(u"image/x-none", t, VARIANT_TRUE, o);
       },
       "b.png"},
      {"zero width",
       [](CImageProc& p, auto& t, Bstr* o) { return p.SaveAsThumbnail(t, 0, 10, VARIANT_TRUE, o); },
       "c.jpg"},
      {"negative height",
       [](CImageProc& p, auto& t, Bstr* o) {
         return p.SaveAsThumbnail(t, 10, -1, VARIANT_TRUE, o);
       },
       "d.jpg"},
      {"over the pixel limit",
       [](CImageProc& p, auto& t, Bstr* o) {
         return p.SaveAsThumbnail(t, 20000, 20000, VARIANT_TRUE, o);
       },
       "e.jpg"},
      {"missing folder",
       [](CImageProc& p, auto& t, Bstr* o) {
         return p.SaveAsThumbnail(t, 10, 10, VARIANT_TRUE, o);
       },
       "none/f.jpg"},
      {"a folder as target",
       [](CImageProc& p, auto& t, Bstr* o) {
         return p.SaveAsThumbnail(t, 10, 10, VARIANT_TRUE, o);
       },
       "folder"},
  };
  for (const Row& row : rows) {
    auto proc = Loaded("canon_40d.jpg");
    Bstr out(u"unset");
    EXPECT_EQ(row.call(*proc, Win(row.target), &out), E_FAIL) << row.what;
    EXPECT_EQ(TakeReport(), "37|" + Utf16ToUtf8(Win(row.target))) << row.what;
    EXPECT_EQ(Narrow(out), "unset") << row.what;
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root_), {}), 1) << "only the folder";
}

TEST_F(WriteTest, PixelLimitAppliesToThePixelsDecoded) {
  ScopedPixelLimit limit(10000);
  auto proc = Loaded("kodak_dc210.jpg");  // 640 x 480
  Bstr out;
  EXPECT_EQ(proc->ConvertImageFormat(u"image/png", Win("big.png"), VARIANT_TRUE, &out), E_FAIL);
  EXPECT_EQ(TakeReport(), "37|" + Utf16ToUtf8(Win("big.png")));
  EXPECT_FALSE(std::filesystem::exists(Host("big.png")));
  // A thumbnail decodes the JPEG at 1/8 scale (80 x 60), which is within it.
  ASSERT_EQ(proc->SaveAsThumbnail(Win("small.jpg"), 40, 30, VARIANT_TRUE, &out), S_OK);
  EXPECT_TRUE(Decoded(Win("small.jpg")));
  EXPECT_EQ(proc->SaveAsThumbnail(Win("half.jpg"), 320, 240, VARIANT_TRUE, &out), E_FAIL)
      << "a thumbnail that needs 320 x 240 decoded pixels";
}

TEST_F(WriteTest, OverwriteFalseTakesAFreeNameTrueReplaces) {
  std::ofstream(Host("t.jpg")) << "old";
  auto proc = Loaded("canon_40d.jpg");
  Bstr unique;
  ASSERT_EQ(proc->SaveAsThumbnail(Win("t.jpg"), 8, 8, VARIANT_FALSE, &unique), S_OK);
  EXPECT_EQ(unique.view(), Win("t(0).jpg"));
  EXPECT_TRUE(Decoded(unique.view().data()));
  Bstr replaced;
  ASSERT_EQ(proc->SaveAsThumbnail(Win("t.jpg"), 8, 8, VARIANT_TRUE, &replaced), S_OK);
  EXPECT_EQ(replaced.view(), Win("t.jpg"));
  EXPECT_TRUE(Decoded(Win("t.jpg")));
}

TEST_F(WriteTest, WrittenImagesFollowTheUmaskLikeUploads) {
  const mode_t oldMask = ::umask(022);
  auto proc = Loaded("canon_40d.jpg");
  Bstr thumb, converted;
  ASSERT_EQ(proc->SaveAsThumbnail(Win("t.jpg"), 8, 8, VARIANT_TRUE, &thumb), S_OK);
  ASSERT_EQ(proc->ConvertImageFormat(u"image/png", Win("c.png"), VARIANT_TRUE, &converted), S_OK);
  ::umask(oldMask);
  for (const char* name : {"t.jpg", "c.png"}) {
    const auto perms =
        std::filesystem::status(Host(name)).permissions() & std::filesystem::perms::all;
    EXPECT_EQ(perms, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                         std::filesystem::perms::group_read | std::filesystem::perms::others_read)
        << name << " has mode " << std::oct << static_cast<int>(perms);
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root_), {}), 2)
      << "no temporary file left";
}

TEST_F(WriteTest, VirtualTargetIsMapped) {
  auto proc = Loaded("canon_40d.jpg");
  Bstr out;
  ASSERT_EQ(proc->SaveAsThumbnail(u"/v.jpg", 5, 5, VARIANT_TRUE, &out), S_OK);
  EXPECT_EQ(out.view(), Win("v.jpg"));
  EXPECT_TRUE(std::filesystem::exists(Host("v.jpg")));
}

TEST_F(WriteTest, SourceStateFailures) {
  std::ofstream(Host("text.jpg")) << "not an image";
  std::filesystem::create_directories(Host("dir"));
  auto proc = CImageProc::Create();
  VARIANT_BOOL ok = VARIANT_TRUE;
  // A text file is an answer (False), not an error.
  EXPECT_EQ(proc->SetSourceFile(Win("text.jpg"), &ok), S_OK);
  EXPECT_EQ(ok, VARIANT_FALSE);
  EXPECT_EQ(TakeReport(), "<none>");
  Bstr out;
  EXPECT_EQ(proc->SaveAsThumbnail(Win("x.jpg"), 5, 5, VARIANT_TRUE, &out), E_FAIL);
  EXPECT_EQ(TakeReport(), "36");
  // The flag is set: later failures carry no message.
  EXPECT_EQ(proc->SetSourceFile(Win("dir"), &ok), E_FAIL);
  EXPECT_EQ(TakeReport(), "<none>");

  for (const char* path : {"missing.jpg", "dir"}) {
    auto fresh = CImageProc::Create();
    EXPECT_EQ(fresh->SetSourceFile(Win(path), &ok), E_FAIL) << path;
    EXPECT_EQ(TakeReport(), "35|" + Utf16ToUtf8(Win(path))) << path;
  }
}

TEST_F(WriteTest, FailedSourceKeepsValuesButBlocksWriters) {
  auto proc = Loaded("kodak_dc210.jpg");
  VARIANT_BOOL ok = VARIANT_TRUE;
  EXPECT_EQ(proc->SetSourceFile(Win("missing.jpg"), &ok), E_FAIL);
  TakeReport();
  int32_t width = 0;
  proc->get_ImageWidth(&width);
  EXPECT_EQ(width, 640);
  Bstr out;
  EXPECT_EQ(proc->ConvertImageFormat(u"image/png", Win("x.png"), VARIANT_TRUE, &out), E_FAIL);
  EXPECT_EQ(TakeReport(), "<none>");
}

TEST_F(WriteTest, VirtualPathWithoutServerNamesNoFile) {
  auto proc = CImageProc::Create();  // no OnStartPage
  VARIANT_BOOL ok = VARIANT_TRUE;
  EXPECT_EQ(proc->SetSourceFile(u"images/a.jpg", &ok), E_FAIL);
  EXPECT_EQ(TakeReport(), "35|images/a.jpg");
}

TEST_F(WriteTest, SourceRemovedAfterLoadingFails) {
  std::filesystem::copy_file(testing::SamplesFolder() + "canon_40d.jpg", Host("src.jpg"));
  auto proc = CImageProc::Create();
  VARIANT_BOOL ok = VARIANT_FALSE;
  ASSERT_EQ(proc->SetSourceFile(Win("src.jpg"), &ok), S_OK);
  std::filesystem::remove(Host("src.jpg"));
  Bstr out;
  EXPECT_EQ(proc->SaveAsThumbnail(Win("t.jpg"), 5, 5, VARIANT_TRUE, &out), E_FAIL);
  EXPECT_EQ(TakeReport(), "35|" + Utf16ToUtf8(Win("src.jpg")));
}

TEST_F(WriteTest, WatermarksWriteJpegOfTheSourceSize) {
  auto proc = Loaded("kodak_dc210.jpg");
  Bstr out;
  ASSERT_EQ(proc->SaveAsWatermarkImage(Sample("pil_hopper.gif"), Win("m.jpg"), -10, -10,
                                       VARIANT_TRUE, &out),
            S_OK)
      << TakeReport();
  auto facts = Decoded(Win("m.jpg"));
  ASSERT_TRUE(facts);
  EXPECT_EQ(facts->width, 640);
  EXPECT_TRUE(facts->rawFormat == imaging::kRawFormatJpeg);
  ASSERT_EQ(proc->SaveAsWatermarkText(u"a < b & c", Win("w.jpg"), 13, -10, -10, VARIANT_TRUE, &out),
            S_OK)
      << TakeReport();
  facts = Decoded(Win("w.jpg"));
  ASSERT_TRUE(facts);
  EXPECT_EQ(facts->height, 480);
  EXPECT_EQ(proc->SaveAsWatermarkImage(Win("nomark.png"), Win("n.jpg"), 1, 1, VARIANT_TRUE, &out),
            E_FAIL);
  EXPECT_EQ(TakeReport(), "35|" + Utf16ToUtf8(Win("nomark.png")));
}

// A file that exists but no longer decodes is a failure, not a blank
// thumbnail or an unmarked copy reported as success.
TEST_F(WriteTest, UndecodableSourceOrMarkFails) {
  std::filesystem::copy_file(testing::SamplesFolder() + "canon_40d.jpg", Host("src.jpg"));
  std::ofstream(Host("mark.png")) << "text, not pixels";
  auto proc = CImageProc::Create();
  VARIANT_BOOL ok = VARIANT_FALSE;
  ASSERT_EQ(proc->SetSourceFile(Win("src.jpg"), &ok), S_OK);
  Bstr out;
  EXPECT_EQ(proc->SaveAsWatermarkImage(Win("mark.png"), Win("m.jpg"), 1, 1, VARIANT_TRUE, &out),
            E_FAIL);
  EXPECT_EQ(TakeReport(), "37|" + Utf16ToUtf8(Win("m.jpg")));
  // The source replaced by text after it was read, on an object with a clear flag.
  auto other = CImageProc::Create();
  ASSERT_EQ(other->SetSourceFile(Win("src.jpg"), &ok), S_OK);
  std::ofstream(Host("src.jpg"), std::ios::trunc) << "replaced by text";
  EXPECT_EQ(other->SaveAsThumbnail(Win("t.jpg"), 5, 5, VARIANT_TRUE, &out), E_FAIL);
  EXPECT_EQ(TakeReport(), "37|" + Utf16ToUtf8(Win("t.jpg")));
  EXPECT_FALSE(std::filesystem::exists(Host("t.jpg")));
  EXPECT_FALSE(std::filesystem::exists(Host("m.jpg")));
}

}  // namespace
}  // namespace vant::image
