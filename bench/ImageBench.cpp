// The image library and the image cache on a photo-sized picture: decoding
// PNG and JPEG through CxImage, the checks made before JUCE reads a PNG, the
// cache's conversion of an image with an alpha plane (premultiplied), and a
// cache load of a PNG file. Prints milliseconds per operation.
#include <juce_graphics/juce_graphics.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "ui/cximage/CxImage.h"
#include "ui/cximage/CxImageCodec.h"
#include "ui/image/ResourceCache.h"

namespace {

double MsPer(int rounds, const std::function<void()>& op) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < rounds; ++i) op();
  const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
  return spent.count() / rounds;
}

juce::MemoryBlock Encode(juce::ImageFileFormat& format, const juce::Image& image) {
  juce::MemoryOutputStream out;
  format.writeImageToStream(image, out);
  return out.getMemoryBlock();
}

}  // namespace

int main() {
  const int w = 1600, h = 1200;
  juce::Image picture(juce::Image::ARGB, w, h, false);
  juce::Random random(7);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      picture.setPixelAt(x, y, juce::Colour(static_cast<juce::uint8>(x), static_cast<juce::uint8>(y),
                                            static_cast<juce::uint8>(random.nextInt(256)),
                                            static_cast<juce::uint8>(128 + (x & 127))));
  juce::PNGImageFormat png;
  juce::JPEGImageFormat jpeg;
  jpeg.setQuality(0.9f);
  const juce::MemoryBlock pngBytes = Encode(png, picture);
  const juce::MemoryBlock jpegBytes = Encode(jpeg, picture);
  const auto* pngData = static_cast<const uint8_t*>(pngBytes.getData());
  const auto* jpegData = static_cast<const uint8_t*>(jpegBytes.getData());

  auto decode = [](const uint8_t* data, size_t size) {
    ImageHeader header;
    CxImage image;
    if (!CxImageCodec::ReadHeader(data, size, header) || !CxImageCodec::Decode(data, size, header, image))
      std::printf("decode failed\n");
  };
  std::printf("%d x %d picture\n", w, h);
  std::printf("PNG through JUCE alone: %.2f ms\n",
              MsPer(5, [&] { juce::ImageFileFormat::loadFrom(pngData, pngBytes.getSize()); }));
  std::printf("PNG into CxImage: %.2f ms\n", MsPer(5, [&] { decode(pngData, pngBytes.getSize()); }));
  std::printf("JPEG into CxImage: %.2f ms\n", MsPer(5, [&] { decode(jpegData, jpegBytes.getSize()); }));

  CxImage alpha;
  alpha.FromJuceImage(picture);
  std::printf("cache conversion with alpha (premultiplied): %.2f ms\n",
              MsPer(10, [&] { UI::ResourceCache::ConvertCxImage(&alpha); }));

  const auto file = std::filesystem::temp_directory_path() / "dorv-image-bench.png";
  juce::File(file.string()).replaceWithData(pngBytes.getData(), pngBytes.getSize());
  const CString key(file.wstring().c_str());
  std::printf("cache load of the PNG file: %.2f ms\n", MsPer(5, [&] {
                UI::ResourceCache cache;
                cache.GetImageItem(key);
              }));
  std::filesystem::remove(file);
  return 0;
}
