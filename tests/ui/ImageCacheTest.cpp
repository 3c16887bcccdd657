// The image cache: key order, loads that fail without being remembered,
// conversion of the image library's pixels, shared entries and threads.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "ImageFiles.h"
#include "TempDir.h"
#include "ui/cximage/CxImage.h"
#include "ui/image/ResourceCache.h"

namespace {

using UI::ResourceCache;

CString W(const std::filesystem::path& p) { return CString(p.wstring().c_str()); }

TEST(ImageCacheTest, KeysOrderByLengthThenFromTheLastUnit) {
  ResourceCache::KeyOrder less;
  EXPECT_TRUE(less(u"z.png", u"aa.png"));
  EXPECT_TRUE(less(u"ba", u"ab"));
  EXPECT_FALSE(less(u"ab", u"ba"));
  EXPECT_TRUE(less(u"a\u7fff", u"a\u8000"));  // unsigned units
  EXPECT_FALSE(less(u"same", u"same"));
}

TEST(ImageCacheTest, FilesLoadOnceKeysMatchExactlyAndFailuresAreNotRemembered) {
  dorvtest::TempDir dir("dorv-cache");
  uitest::WritePng(dir / "a.png", uitest::Pattern(3, 2));
  dorvtest::WriteFile(dir / "A.PNG", dorvtest::ReadFile(dir / "a.png"));
  ResourceCache cache;
  UI::tagImageItem* item = cache.GetImageItem(W(dir / "a.png"));
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(cache.GetImageItem(W(dir / "a.png")), item);
  EXPECT_EQ(cache.SearchImageItem(W(dir / "a.png")), item);
  EXPECT_EQ(item->GetWidth(), 3);
  EXPECT_EQ(item->GetNumFrames(), 1);
  EXPECT_EQ(item->GetDelayTime(), 100);
  EXPECT_EQ(cache.GetFrameByIndex(item, 1), nullptr);
  EXPECT_EQ(item->GetPixelAt(2, 1), 0xFF5028C8u);
  EXPECT_NE(cache.GetImageItem(W(dir / "A.PNG")), item);  // another spelling, another entry
  EXPECT_EQ(cache.GetCount(), 2);

  const CString later = W(dir / "later.png");
  EXPECT_EQ(cache.GetImageItem(later), nullptr);
  EXPECT_EQ(cache.SearchImageItem(later), nullptr);
  uitest::WritePng(dir / "later.png", uitest::Pattern(1, 1));
  EXPECT_NE(cache.GetImageItem(later), nullptr);  // tried again

  EXPECT_EQ(cache.ReleaseImage(W(dir / "a.png")), 1);
  EXPECT_EQ(cache.ReleaseImage(W(dir / "a.png")), 0);
  EXPECT_EQ(cache.SearchImageItem(W(dir / "a.png")), nullptr);
}

TEST(ImageCacheTest, FormatCodesFromFileNames) {
  const std::pair<const wchar_t*, DWORD> cases[] = {
      {L"a.png", 4}, {L"a.BMP", 1}, {L"a.jpg", 3}, {L"a.ico", 5}, {L"a.gif", 2}, {L"a.tif", 6},
      {L"a.TIFF", 6}, {L"a.JPEG", 3}, {L"a.jp", 0}, {L"png", 0}};
  for (const auto& [name, code] : cases) EXPECT_EQ(ResourceCache::GetImageTypeForCXImage(name), code) << name;
}

TEST(ImageCacheTest, AlphaIsPremultipliedGreyIsOneChannelAndPalettesAreRaised) {
  CxImage alpha;
  alpha.FromJuceImage(uitest::Pattern(2, 1, 128));
  // Pixel (0, 0) as (R 200, G 100, B 50, A 128), pixel (1, 0) fully transparent.
  uint8_t* bgr = alpha.GetBits(0);
  bgr[0] = 50, bgr[1] = 100, bgr[2] = 200;
  *alpha.AlphaGetPointer(1, 0) = 0;
  ASSERT_EQ(alpha.GetColorType(), 4);
  juce::Image argb = ResourceCache::ConvertCxImage(&alpha);
  ASSERT_EQ(argb.getFormat(), juce::Image::ARGB);
  const juce::Image::BitmapData bits(argb, juce::Image::BitmapData::readOnly);
  const uint8_t* p = bits.getPixelPointer(0, 0);
  EXPECT_EQ(p[0], 25);  // blue
  EXPECT_EQ(p[1], 50);
  EXPECT_EQ(p[2], 100);
  EXPECT_EQ(p[3], 128);
  const uint8_t* clear = bits.getPixelPointer(1, 0);
  EXPECT_EQ(clear[0] | clear[1] | clear[2] | clear[3], 0);

  CxImage grey;
  grey.Create(3, 2, 8);
  grey.GetBits(1)[2] = 77;  // the top row
  ASSERT_TRUE(grey.IsGrayScale());
  juce::Image channel = ResourceCache::ConvertCxImage(&grey);
  ASSERT_EQ(channel.getFormat(), juce::Image::SingleChannel);
  const juce::Image::BitmapData greyBits(channel, juce::Image::BitmapData::readOnly);
  EXPECT_EQ(*greyBits.getPixelPointer(2, 0), 77);

  dorvtest::TempDir dir("dorv-cache");
  dorvtest::WriteFile(dir / "p.bmp", uitest::BmpBytes(2, 2, 8));
  CxImage palette(W(dir / "p.bmp"), 0);
  ASSERT_EQ(palette.GetBpp(), 8);
  juce::Image rgb = ResourceCache::ConvertCxImage(&palette);
  EXPECT_EQ(rgb.getFormat(), juce::Image::RGB);
  EXPECT_EQ(palette.GetBpp(), 24);  // raised in the caller's object
  EXPECT_EQ(rgb.getPixelAt(1, 1).getRed(), 40);
  EXPECT_EQ(rgb.getPixelAt(1, 0).getRed(), 40);

  CxImage empty;
  EXPECT_FALSE(ResourceCache::ConvertCxImage(&empty).isValid());
  EXPECT_FALSE(ResourceCache::ConvertCxImage(nullptr).isValid());
}

TEST(ImageCacheTest, PublishedPixelsKeepTheirKeyAndSharedEntriesOutliveRelease) {
  ResourceCache cache;
  CxImage image;
  image.FromJuceImage(uitest::Pattern(2, 2));
  UI::tagImageItem* first = cache.GetImageItemFromCxImage(L"{guid}", &image);
  ASSERT_NE(first, nullptr);
  CxImage other;
  other.FromJuceImage(uitest::Pattern(5, 5));
  EXPECT_EQ(cache.GetImageItemFromCxImage(L"{guid}", &other), first);  // present: nothing converted
  EXPECT_EQ(first->GetWidth(), 2);

  ResourceCache::EntryPtr held = cache.AcquireImageItem(L"{guid}");
  juce::Image pixels = cache.GetImage(L"{guid}");
  EXPECT_EQ(cache.ReleaseImage(L"{guid}"), 1);
  EXPECT_EQ(held->GetWidth(), 2);  // still whole for whoever holds it
  EXPECT_EQ(pixels.getPixelAt(1, 1).getGreen(), 40);
  EXPECT_FALSE(cache.GetImage(L"{guid}").isValid());
  CxImage empty;
  EXPECT_EQ(cache.GetImageItemFromCxImage(L"{bad}", &empty), nullptr);
  EXPECT_EQ(cache.GetCount(), 0);
}

TEST(ImageCacheTest, ThreadsLoadingReleasingAndDrawingOneKeyStayConsistent) {
  dorvtest::TempDir dir("dorv-cache");
  uitest::WritePng(dir / "a.png", uitest::Pattern(16, 16));
  const CString key = W(dir / "a.png");
  ResourceCache cache;
  std::atomic<bool> stop{false};
  std::atomic<int> draws{0}, bad{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      while (!stop) {
        ResourceCache::EntryPtr entry = cache.AcquireImageItem(key);
        juce::Image image = cache.GetImage(key);
        if (!entry || !image.isValid() || image.getWidth() != 16 || image.getPixelAt(15, 15).getRed() != 600 % 256)
          ++bad;
        ++draws;
      }
    });
  }
  threads.emplace_back([&] {
    int releases = 0;
    while (draws < 2000 || releases < 200) releases += cache.ReleaseImage(key);
    stop = true;
  });
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(bad.load(), 0);
  EXPECT_GE(draws.load(), 2000);
  EXPECT_LE(cache.GetCount(), 1);
}

}  // namespace
