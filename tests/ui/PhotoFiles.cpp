#include "PhotoFiles.h"

#include <libexif/exif-data.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "TempDir.h"
#include "ui/cximage/CxImage.h"

namespace uitest {

juce::Image Quadrants(int width, int height) {
  juce::Image image(juce::Image::RGB, width, height, true);
  juce::Graphics g(image);
  g.setColour(juce::Colours::red);
  g.fillRect(0, 0, width / 2, height / 2);
  g.setColour(juce::Colour(0xFF00FF00));
  g.fillRect(width / 2, 0, width - width / 2, height / 2);
  g.setColour(juce::Colours::blue);
  g.fillRect(0, height / 2, width / 2, height - height / 2);
  g.setColour(juce::Colours::white);
  g.fillRect(width / 2, height / 2, width - width / 2, height - height / 2);
  return image;
}

std::string JpegBytes(const juce::Image& image) {
  juce::JPEGImageFormat jpeg;
  jpeg.setQuality(0.95f);
  juce::MemoryOutputStream out;
  jpeg.writeImageToStream(image, out);
  return std::string(static_cast<const char*>(out.getData()), out.getDataSize());
}

void WriteJpegWithExif(const std::filesystem::path& file, const juce::Image& photo, const juce::Image& thumbnail,
                       int orientation) {
  WriteJpegWithExif(file, photo, JpegBytes(thumbnail), orientation);
}

void WriteJpegWithExif(const std::filesystem::path& file, const juce::Image& photo, const std::string& thumb,
                       int orientation) {
  ExifData* exif = exif_data_new();
  exif_data_set_byte_order(exif, EXIF_BYTE_ORDER_INTEL);
  ExifEntry* entry = exif_entry_new();
  exif_content_add_entry(exif->ifd[EXIF_IFD_0], entry);
  exif_entry_initialize(entry, EXIF_TAG_ORIENTATION);
  exif_set_short(entry->data, EXIF_BYTE_ORDER_INTEL, static_cast<ExifShort>(orientation));
  exif_entry_unref(entry);
  exif->data = static_cast<unsigned char*>(std::malloc(thumb.size()));
  std::memcpy(exif->data, thumb.data(), thumb.size());
  exif->size = static_cast<unsigned>(thumb.size());
  unsigned char* block = nullptr;
  unsigned int blockSize = 0;
  exif_data_save_data(exif, &block, &blockSize);
  exif_data_unref(exif);
  if (!block || blockSize + 2 > 0xFFFF) throw std::runtime_error("EXIF block");
  std::string app1 = "\xFF\xE1";
  app1.push_back(static_cast<char>((blockSize + 2) >> 8));
  app1.push_back(static_cast<char>((blockSize + 2) & 0xFF));
  app1.append(reinterpret_cast<const char*>(block), blockSize);
  std::free(block);
  std::string jpeg = JpegBytes(photo);
  jpeg.insert(2, app1);  // right after SOI
  dorvtest::WriteFile(file, jpeg);
}

juce::Colour PixelOf(const std::filesystem::path& file, int x, int y) {
  CxImage image;
  if (!image.Load(file.wstring().c_str(), CXIMAGE_FORMAT_UNKNOWN)) return juce::Colour(0x00000000);
  return image.ToJuceImage().getPixelAt(x, y);
}

bool Near(juce::Colour a, juce::Colour b) {
  return std::abs(a.getRed() - b.getRed()) < 48 && std::abs(a.getGreen() - b.getGreen()) < 48 &&
         std::abs(a.getBlue() - b.getBlue()) < 48;
}

}  // namespace uitest
