// The image library over real files: PNG and JPEG written by JUCE, BMP and GIF
// written byte by byte; header probes; the bottom-up pixel views; the
// operations; and files that are cut short or lie about their sizes.
#include <gtest/gtest.h>

#include "ImageFiles.h"
#include "TempDir.h"
#include "ui/cximage/CxImage.h"
#include "ui/cximage/CxImageCodec.h"
#include "ui/image/ResourceCache.h"

namespace {

CString W(const std::filesystem::path& p) { return CString(p.wstring().c_str()); }

// The blue, green, red bytes of pixel (x, y) counted from the top.
std::array<int, 3> Bgr(CxImage& image, int x, int y) {
  const uint8_t* row = image.GetBits(image.GetHeight() - 1 - static_cast<DWORD>(y));
  return {row[x * 3], row[x * 3 + 1], row[x * 3 + 2]};
}

class CxImageTest : public ::testing::Test {
 protected:
  dorvtest::TempDir dir{"dorv-cximage"};
};

TEST_F(CxImageTest, DecodesEachFormatIntoBottomUpBgrRows) {
  uitest::WritePng(dir / "a.png", uitest::Pattern(3, 2));
  uitest::WriteJpeg(dir / "a.jpg", uitest::Pattern(3, 2));
  dorvtest::WriteFile(dir / "a.bmp", uitest::BmpBytes(3, 2, 24));
  struct Case {
    const char* file;
    DWORD format;
    int tolerance;
  };
  for (const Case& c : {Case{"a.png", CXIMAGE_FORMAT_PNG, 0}, Case{"a.jpg", CXIMAGE_FORMAT_JPG, 24},
                        Case{"a.bmp", CXIMAGE_FORMAT_BMP, 0}}) {
    SCOPED_TRACE(c.file);
    CxImage image(W(dir / c.file), c.format);
    ASSERT_TRUE(image.IsValid());
    EXPECT_EQ(image.GetWidth(), 3u);
    EXPECT_EQ(image.GetHeight(), 2u);
    EXPECT_EQ(image.GetBpp(), 24);
    EXPECT_EQ(image.GetType(), c.format);
    EXPECT_EQ(image.GetEffWidth(), 12u);  // 9 bytes padded to whole words
    EXPECT_NE(image.GetColorType(), 4);
    const auto px = Bgr(image, 2, 1);  // r 80, g 40, b 200
    EXPECT_NEAR(px[0], 200, c.tolerance);
    EXPECT_NEAR(px[1], 40, c.tolerance);
    EXPECT_NEAR(px[2], 80, c.tolerance);
  }
}

TEST_F(CxImageTest, GifPaletteBmpAndAlphaPlanes) {
  dorvtest::WriteFile(dir / "a.gif", uitest::GifBytes());
  CxImage gif(W(dir / "a.gif"), CXIMAGE_FORMAT_UNKNOWN);
  ASSERT_TRUE(gif.IsValid());
  EXPECT_EQ(gif.GetType(), static_cast<DWORD>(CXIMAGE_FORMAT_GIF));
  EXPECT_EQ(Bgr(gif, 0, 0), (std::array<int, 3>{0, 0, 255}));
  EXPECT_EQ(Bgr(gif, 0, 1), (std::array<int, 3>{255, 0, 0}));

  dorvtest::WriteFile(dir / "p.bmp", uitest::BmpBytes(4, 2, 8));
  CxImage palette(W(dir / "p.bmp"), CXIMAGE_FORMAT_BMP);
  ASSERT_TRUE(palette.IsValid());
  EXPECT_EQ(palette.GetBpp(), 8);
  EXPECT_FALSE(palette.IsGrayScale());
  EXPECT_EQ(palette.GetColorType(), 1);
  EXPECT_EQ(palette.GetBits(0)[3], 1 * 16 + 3);  // the bottom row is y = 1
  ASSERT_TRUE(palette.IncreaseBpp(24));
  EXPECT_EQ(palette.GetBpp(), 24);
  EXPECT_EQ(Bgr(palette, 3, 1), (std::array<int, 3>{200, 40, 120}));

  uitest::WritePng(dir / "alpha.png", uitest::Pattern(2, 2, 128));
  CxImage alpha(W(dir / "alpha.png"), CXIMAGE_FORMAT_PNG);
  ASSERT_TRUE(alpha.IsValid());
  EXPECT_EQ(alpha.GetColorType(), 4);
  ASSERT_NE(alpha.AlphaGetPointer(0, 0), nullptr);
  EXPECT_EQ(*alpha.AlphaGetPointer(1, 1), 128);
}

TEST_F(CxImageTest, HeaderProbesReadSizeAndFormatOnly) {
  uitest::WritePng(dir / "a.png", uitest::Pattern(7, 5));
  uitest::WriteJpeg(dir / "photo.jpeg", uitest::Pattern(9, 4));
  dorvtest::WriteFile(dir / "a.bmp", uitest::BmpBytes(6, 3, 24));
  dorvtest::WriteFile(dir / "a.gif", uitest::GifBytes());
  dorvtest::WriteFile(dir / "mislabelled.jpg", uitest::BmpBytes(2, 2, 24));
  struct Case {
    const char* file;
    DWORD width, height, format;
  } cases[] = {{"a.png", 7, 5, 4}, {"photo.jpeg", 9, 4, 3}, {"a.bmp", 6, 3, 1}, {"a.gif", 2, 2, 2},
               {"mislabelled.jpg", 2, 2, 1}};
  for (const Case& c : cases) {
    DWORD w = 0, h = 0, f = 0;
    EXPECT_EQ(UI::ResourceCache::GetImageWidthHeight(W(dir / c.file), &w, &h, &f), 1) << c.file;
    EXPECT_EQ(w, c.width) << c.file;
    EXPECT_EQ(h, c.height) << c.file;
    EXPECT_EQ(f, c.format) << c.file;
  }
  CxImage probe;
  probe.SetEscape(-1);
  ASSERT_TRUE(probe.Load(W(dir / "a.png"), 0));
  EXPECT_FALSE(probe.IsValid());  // no pixels
  EXPECT_TRUE(probe.Load(W(dir / "a.png"), 0));
  EXPECT_TRUE(probe.IsValid());  // the escape served one load

  // The format named by the caller must be the file's; the retry with 0 detects it.
  CxImage image;
  EXPECT_FALSE(image.Load(W(dir / "mislabelled.jpg"), CXIMAGE_FORMAT_JPG));
  EXPECT_TRUE(image.Load(W(dir / "mislabelled.jpg"), CXIMAGE_FORMAT_UNKNOWN));
}

TEST_F(CxImageTest, TruncatedAndLyingFilesFailCleanly) {
  uitest::WritePng(dir / "a.png", uitest::Pattern(8, 8));
  uitest::WriteJpeg(dir / "a.jpg", uitest::Pattern(8, 8));
  const std::string png = dorvtest::ReadFile(dir / "a.png");
  const std::string jpg = dorvtest::ReadFile(dir / "a.jpg");
  std::string bmp = uitest::BmpBytes(4, 4, 24);
  std::string hugeBmp = bmp;
  hugeBmp[18] = static_cast<char>(0xFF), hugeBmp[19] = static_cast<char>(0xFF);  // width 65535
  std::string farOffset = bmp;
  farOffset[10] = static_cast<char>(0xF0), farOffset[11] = static_cast<char>(0xFF);
  std::string badPalette = uitest::BmpBytes(2, 2, 8);
  badPalette[46] = static_cast<char>(0x00), badPalette[47] = static_cast<char>(0x10);  // 4096 colours
  const std::pair<const char*, std::string> files[] = {
      {"png-head", png.substr(0, 20)},
      {"png-half", png.substr(0, png.size() / 2)},
      {"jpg-head", jpg.substr(0, 30)},
      {"jpg-half", jpg.substr(0, jpg.size() / 2)},
      {"bmp-half", bmp.substr(0, bmp.size() - 10)},
      {"bmp-wide", hugeBmp},
      {"bmp-offset", farOffset},
      {"bmp-palette", badPalette},
      {"gif-half", uitest::GifBytes().substr(0, 12)},
      {"empty", ""},
      {"text", "not an image at all"},
      {"ico", std::string("\0\0\1\0\1\0", 6)},
  };
  for (const auto& [name, bytes] : files) {
    SCOPED_TRACE(name);
    dorvtest::WriteFile(dir / name, bytes);
    CxImage image;
    EXPECT_FALSE(image.Load(W(dir / name), 0) && image.IsValid() && image.GetWidth() == 8);
    if (std::string(name).find("half") == std::string::npos) {
      EXPECT_FALSE(image.IsValid());
    }
  }
  CxImage missing;
  EXPECT_FALSE(missing.Load(W(dir / "none.png"), 0));
  EXPECT_EQ(UI::ResourceCache::GetImageWidthHeight(W(dir / "none.png"), nullptr, nullptr, nullptr), 0);
}

TEST_F(CxImageTest, OperationsWorkInPlaceAndSavesReadBack) {
  uitest::WritePng(dir / "a.png", uitest::Pattern(4, 2));
  CxImage image(W(dir / "a.png"), CXIMAGE_FORMAT_PNG);
  ASSERT_TRUE(image.RotateRight());
  EXPECT_EQ(image.GetWidth(), 2u);
  EXPECT_EQ(image.GetHeight(), 4u);
  EXPECT_EQ(Bgr(image, 1, 0)[2], 0);    // the old top-left corner is now top-right
  EXPECT_EQ(Bgr(image, 0, 0)[1], 40);   // the old bottom-left is now top-left
  ASSERT_TRUE(image.RotateLeft());
  EXPECT_EQ(Bgr(image, 3, 1)[2], 120);  // back where it was
  ASSERT_TRUE(image.Mirror(false, true));
  EXPECT_EQ(Bgr(image, 0, 0)[2], 120);
  ASSERT_TRUE(image.Rotate180());
  EXPECT_EQ(Bgr(image, 0, 1)[2], 0);
  ASSERT_TRUE(image.Crop(1, 0, 3, 1));
  EXPECT_EQ(image.GetWidth(), 2u);
  EXPECT_EQ(image.GetHeight(), 1u);
  ASSERT_TRUE(image.Resample(6, 3, 0));
  EXPECT_EQ(image.GetWidth(), 6u);

  CxImage thumb;
  ASSERT_TRUE(image.Thumbnail(10, 10, 0xFFFFFFFF, &thumb));
  EXPECT_EQ(thumb.GetWidth(), 10u);
  EXPECT_EQ(Bgr(thumb, 0, 0), (std::array<int, 3>{255, 255, 255}));  // canvas around the picture

  image.SetJpegQuality(93);
  ASSERT_TRUE(image.Save(W(dir / "out.jpg"), CXIMAGE_FORMAT_JPG));
  ASSERT_TRUE(thumb.Save(W(dir / "out.png"), CXIMAGE_FORMAT_PNG));
  EXPECT_FALSE(thumb.Save(W(dir / "out.bmp"), CXIMAGE_FORMAT_BMP));
  EXPECT_FALSE(thumb.Save(W(dir / "no/such/folder/out.png"), CXIMAGE_FORMAT_PNG));
  CxImage back(W(dir / "out.png"), CXIMAGE_FORMAT_PNG);
  EXPECT_EQ(back.GetWidth(), 10u);
  CxImage jpg(W(dir / "out.jpg"), CXIMAGE_FORMAT_JPG);
  EXPECT_EQ(jpg.GetHeight(), 3u);
}

}  // namespace

namespace {

// The decoder's own entry points, on bytes in memory (files add nothing here).
bool Decodes(const std::string& bytes, CxImage& image) {
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  ImageHeader header;
  const bool juceReads = CxImageCodec::DecodeToJuceImage(data, bytes.size()).isValid();  // the cache's way in
  (void)juceReads;
  return CxImageCodec::ReadHeader(data, bytes.size(), header) && CxImageCodec::Decode(data, bytes.size(), header, image);
}

TEST_F(CxImageTest, EveryCutAndFlippedByteOfEachFormatFailsOrDecodes) {
  uitest::WritePng(dir / "a.png", uitest::Pattern(6, 5, 200));
  uitest::WriteJpeg(dir / "a.jpg", uitest::Pattern(6, 5));
  const std::pair<const char*, std::string> files[] = {{"png", dorvtest::ReadFile(dir / "a.png")},
                                                       {"jpg", dorvtest::ReadFile(dir / "a.jpg")},
                                                       {"gif", uitest::GifBytes()},
                                                       {"bmp", uitest::BmpBytes(6, 5, 8)}};
  for (const auto& [name, whole] : files) {
    CxImage intact;
    ASSERT_TRUE(Decodes(whole, intact)) << name;
    for (size_t at = 0; at < whole.size(); ++at) {
      CxImage cut;
      if (Decodes(whole.substr(0, at), cut)) {
        EXPECT_EQ(cut.GetWidth(), intact.GetWidth()) << name << " cut at " << at;
      }
      for (const int mask : {0xA5, 0xFF, 0x01, 0x80}) {
        std::string flipped = whole;
        flipped[at] = static_cast<char>(flipped[at] ^ mask);
        CxImage other;
        if (Decodes(flipped, other)) {
          EXPECT_GT(other.GetWidth(), 0u) << name << " flipped at " << at;
        }
      }
    }
  }
}

// The picture is the part of the screen its first frame covers, whatever screen the file claims.
TEST_F(CxImageTest, GifTransparencyAndAPictureSmallerThanItsScreen) {
  // A graphic control extension makes index 0 (red) transparent; the 2 × 2
  // frame of index 0, 1, 2, 3 sits at column 1 of the screen.
  auto gif = [](unsigned width, unsigned height) {
    const unsigned char bytes[] = {
        'G', 'I', 'F', '8', '9', 'a', static_cast<unsigned char>(width), static_cast<unsigned char>(width >> 8),
        static_cast<unsigned char>(height), static_cast<unsigned char>(height >> 8), 0xF1, 0, 0,
        0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF,
        0x21, 0xF9, 4, 1, 0, 0, 0, 0,
        0x2C, 1, 0, 0, 0, 2, 0, 2, 0, 0,
        2, 3, 0x44, 0x34, 0x05, 0,
        0x3B};
    return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
  };
  struct Row {
    const char* name;
    unsigned screenW, screenH, width, height;
  } rows[] = {{"screen 3 x 2", 3, 2, 2, 2},
              {"screen of 3072 x 17664 claimed by 59 bytes", 3072, 17664, 2, 2},
              {"frame cut at the screen's edge", 2, 1, 1, 1}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CxImage image;
    ASSERT_TRUE(Decodes(gif(row.screenW, row.screenH), image));
    ASSERT_EQ(image.GetWidth(), row.width);
    ASSERT_EQ(image.GetHeight(), row.height);
    ASSERT_TRUE(image.AlphaIsValid());
    auto alpha = [&](long x, long y) { return *image.AlphaGetPointer(x, static_cast<long>(image.GetHeight()) - 1 - y); };
    EXPECT_EQ(alpha(0, 0), 0);  // the transparent index
    if (row.width < 2) continue;
    EXPECT_EQ(alpha(1, 0), 255);
    EXPECT_EQ(Bgr(image, 1, 0), (std::array<int, 3>{0, 255, 0}));
    EXPECT_EQ(Bgr(image, 0, 1), (std::array<int, 3>{255, 0, 0}));
  }
  // A frame off the screen leaves no picture.
  CxImage none;
  EXPECT_FALSE(Decodes(gif(1, 2), none));
}

TEST_F(CxImageTest, HeadersAskingForTooMuchAreRefusedBeforeDecoding) {
  // 20000 × 20000 is within a side's limit but past the pixels' one.
  std::string gif = uitest::GifBytes();
  gif[6] = static_cast<char>(0x20), gif[7] = static_cast<char>(0x4E), gif[8] = static_cast<char>(0x20),
  gif[9] = static_cast<char>(0x4E);
  ImageHeader header;
  EXPECT_EQ(CxImageCodec::ReadHeader(reinterpret_cast<const uint8_t*>(gif.data()), gif.size(), header), 0);
  CxImage image;
  EXPECT_FALSE(Decodes(gif, image));
  EXPECT_FALSE(CxImageCodec::DecodeToJuceImage(reinterpret_cast<const uint8_t*>(gif.data()), gif.size()).isValid());
  // So is a frame past the limits on a screen within them.
  std::string frame = uitest::GifBytes();
  frame[30] = static_cast<char>(0x20), frame[31] = static_cast<char>(0x4E), frame[32] = static_cast<char>(0x20),
  frame[33] = static_cast<char>(0x4E);
  frame[6] = frame[8] = static_cast<char>(0xFF);
  EXPECT_EQ(CxImageCodec::ReadHeader(reinterpret_cast<const uint8_t*>(frame.data()), frame.size(), header), 0);
  EXPECT_FALSE(Decodes(frame, image));
}

}  // namespace
