#include "ImageFiles.h"

#include "TempDir.h"

namespace uitest {

juce::Image Pattern(int width, int height, juce::uint8 alpha) {
  juce::Image image(juce::Image::ARGB, width, height, true);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.setPixelAt(x, y, juce::Colour(static_cast<juce::uint8>(x * 40), static_cast<juce::uint8>(y * 40), 200, alpha));
  return image;
}

namespace {

void WriteWith(juce::ImageFileFormat& format, const std::filesystem::path& file, const juce::Image& image) {
  juce::MemoryOutputStream out;
  format.writeImageToStream(image, out);
  dorvtest::WriteFile(file, std::string(static_cast<const char*>(out.getData()), out.getDataSize()));
}

void Le(std::string& s, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

}  // namespace

void WritePng(const std::filesystem::path& file, const juce::Image& image) {
  juce::PNGImageFormat png;
  WriteWith(png, file, image);
}

void WriteJpeg(const std::filesystem::path& file, const juce::Image& image) {
  juce::JPEGImageFormat jpeg;
  jpeg.setQuality(1.0f);
  WriteWith(jpeg, file, image);
}

std::string BmpBytes(int width, int height, int bits) {
  const int rowBytes = ((width * bits + 31) / 32) * 4;
  const int palette = bits == 8 ? 256 * 4 : 0;
  const int offset = 14 + 40 + palette;
  std::string s = "BM";
  Le(s, static_cast<uint32_t>(offset + rowBytes * height), 4);
  Le(s, 0, 4);
  Le(s, static_cast<uint32_t>(offset), 4);
  Le(s, 40, 4);
  Le(s, static_cast<uint32_t>(width), 4);
  Le(s, static_cast<uint32_t>(height), 4);
  Le(s, 1, 2);
  Le(s, static_cast<uint32_t>(bits), 2);
  Le(s, 0, 4);  // BI_RGB
  Le(s, static_cast<uint32_t>(rowBytes * height), 4);
  Le(s, 0, 4);
  Le(s, 0, 4);
  Le(s, 0, 4);
  Le(s, 0, 4);
  if (bits == 8) {
    for (int i = 0; i < 256; ++i) {  // entry i: blue 200, green (i / 16) * 40, red (i % 16) * 40
      s.push_back(static_cast<char>(200));
      s.push_back(static_cast<char>(((i / 16) * 40) & 0xFF));
      s.push_back(static_cast<char>(((i % 16) * 40) & 0xFF));
      s.push_back(0);
    }
  }
  for (int row = 0; row < height; ++row) {
    const int y = height - 1 - row;  // bottom-up
    std::string line;
    for (int x = 0; x < width; ++x) {
      if (bits == 8) {
        line.push_back(static_cast<char>(y * 16 + x));
      } else {
        line.push_back(static_cast<char>(200));
        line.push_back(static_cast<char>((y * 40) & 0xFF));
        line.push_back(static_cast<char>((x * 40) & 0xFF));
      }
    }
    line.resize(static_cast<size_t>(rowBytes), '\0');
    s += line;
  }
  return s;
}

std::string GifBytes() {
  const unsigned char bytes[] = {
      'G', 'I', 'F', '8', '9', 'a', 2, 0, 2, 0, 0xF1, 0, 0,  // screen 2 × 2, global table of 4
      0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF,  // red, green, blue, white
      0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0,                       // image 2 × 2
      2, 3, 0x44, 0x34, 0x05, 0,                             // LZW minimum 2; clear, 0, 1, 2, 3, end
      0x3B};
  return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

}  // namespace uitest
