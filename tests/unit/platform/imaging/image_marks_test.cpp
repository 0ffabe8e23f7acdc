// Watermarks decoded back: where the mark lands, how strongly, and that a
// huge font or a far-away position neither crashes nor fails.
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <vips/vips8>

#include "platform/imaging/detail/image_facts.h"
#include "platform/imaging/detail/image_writer.h"
#include "platform/imaging/detail/pixel_limit.h"
#include "support/scratch.h"

namespace vant::imaging {
namespace {

using vips::VImage;

class MarksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scratch_.ok());
    ASSERT_TRUE(ReadImageFacts("/nonexistent").has_value() == false);  // starts the library
  }

  // A width × height image of one grey level, saved as PNG.
  std::string Plain(const std::string& name, int width, int height, double level) const {
    const std::string path = root_ + "/" + name;
    (VImage::black(width, height, VImage::option()->set("bands", 3)) + level)
        .cast(VIPS_FORMAT_UCHAR)
        .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
        .pngsave(path.c_str());
    return path;
  }

  static double Level(const std::string& path, int x, int y) {
    return VImage::new_from_file(path.c_str()).getpoint(x, y)[0];
  }

  test::ScratchFolder scratch_;
  const std::string& root_ = scratch_.Path();
};

TEST(MarkOffset, CountsFromTheNearOrFarEdge) {
  struct Row {
    std::int64_t base, mark, pos, expected;
  };
  const Row rows[] = {
      {500, 100, -10, 390},
      {400, 50, -10, 340},
      {500, 100, 20, 20},
      {400, 50, 0, 350},
      {500, 100, 1, 1},
      {10, 100, -10, -100},
      {500, 100, -2147483648LL, 400 - 2147483648LL},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(MarkOffset(r.base, r.mark, r.pos), r.expected)
        << r.base << " " << r.mark << " " << r.pos;
  }
}

TEST_F(MarksTest, ImageMarkLandsAtItsOffsetWithEightyPercentAlpha) {
  const std::string source = Plain("black.png", 500, 400, 0);
  const std::string mark = Plain("white.png", 100, 50, 255);
  const std::string target = root_ + "/out.jpg";
  ASSERT_TRUE(SaveWithImageMark(source, mark, -10, -10, target));
  EXPECT_NEAR(Level(target, 440, 365), 204, 6) << "inside the mark at (390, 340)";
  EXPECT_NEAR(Level(target, 385, 335), 0, 6) << "above and left of it";
  EXPECT_NEAR(Level(target, 495, 395), 0, 6) << "the 10-pixel margin";
  ASSERT_TRUE(SaveWithImageMark(source, mark, 20, 0, target));
  EXPECT_NEAR(Level(target, 70, 375), 204, 6) << "at (20, 350)";
  EXPECT_NEAR(Level(target, 10, 375), 0, 6);
  // Wholly outside: an unmarked copy.
  ASSERT_TRUE(SaveWithImageMark(source, mark, 100000, -2147483647, target));
  EXPECT_NEAR(Level(target, 250, 200), 0, 6);
}

TEST_F(MarksTest, TextMarkDrawsAndHugeFontsAreLowered) {
  const std::string source = Plain("grey.png", 200, 100, 128);
  const std::string target = root_ + "/text.jpg";
  ASSERT_TRUE(SaveWithTextMark(source, "Hello", 13, 5, 5, 96, target));
  const VImage out = VImage::new_from_file(target.c_str());
  EXPECT_GT(out.max(), 160) << "white text drawn";
  {
    const sys::Settings before = sys::CurrentSettings();
    sys::Settings small = before;
    small.maxImagePixels = 1'000'000;
    ASSERT_TRUE(sys::InstallSettings(small));
    EXPECT_TRUE(SaveWithTextMark(source, "Hello", 2000000000, -10, -10, 96, target));
    ASSERT_TRUE(sys::InstallSettings(before));
  }
  EXPECT_TRUE(SaveWithTextMark(source, "", 13, -10, -10, 96, target)) << "nothing to draw";
  EXPECT_TRUE(SaveWithTextMark(source, "x", -4, -10, -10, 96, target)) << "no font: unmarked";
}

// Japanese and Korean captions draw their letters: fontconfig knows a font
// for each language (without one every letter is an empty box), and the
// caption leaves white ink on a black picture.
TEST_F(MarksTest, JapaneseAndKoreanCaptionsHaveAFont) {
  struct Row {
    const char* language;
    const char* caption;
  };
  const Row rows[] = {{"ja", "日本語の写真"}, {"ko", "한국어 사진"}};
  for (const Row& row : rows) {
    FcPattern* pattern = FcPatternCreate();
    FcLangSet* languages = FcLangSetCreate();
    FcLangSetAdd(languages, reinterpret_cast<const FcChar8*>(row.language));
    FcPatternAddLangSet(pattern, FC_LANG, languages);
    FcObjectSet* fields = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* fonts = FcFontList(nullptr, pattern, fields);
    EXPECT_GT(fonts != nullptr ? fonts->nfont : 0, 0) << "no font for " << row.language;
    if (fonts != nullptr) FcFontSetDestroy(fonts);
    FcObjectSetDestroy(fields);
    FcLangSetDestroy(languages);
    FcPatternDestroy(pattern);
    const std::string target = root_ + "/caption.jpg";
    ASSERT_TRUE(
        SaveWithTextMark(Plain("black.png", 300, 60, 0), row.caption, 13, 5, 5, 96, target));
    EXPECT_GT(VImage::new_from_file(target.c_str()).max(), 160) << row.language;
  }
}

}  // namespace
}  // namespace vant::imaging
