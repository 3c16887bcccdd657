#include "image/PngReader.h"

#include <juce_graphics/juce_graphics.h>
#include <png.h>

#include <cstring>

#include "image/ImageLimits.h"

bool DecodePng(const uint8_t* data, size_t size, DecodedPixels& out) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, data, size)) return false;
  if (!ImageLimits::Fits(image.width, image.height)) {
    png_image_free(&image);
    return false;
  }
  const bool grey = (image.format & (PNG_FORMAT_FLAG_COLOR | PNG_FORMAT_FLAG_ALPHA)) == 0;
  image.format = grey ? PNG_FORMAT_GRAY : PNG_FORMAT_BGRA;
  DecodedPixels pixels;
  pixels.width = image.width;
  pixels.height = image.height;
  pixels.grey = grey;
  pixels.bytes.resize(PNG_IMAGE_SIZE(image));
  // The read frees the image's state whether or not it succeeds.
  // Damage to the pixels or a critical chunk is an error; warnings (an ancillary
  // chunk dropped, say) leave a whole picture.
  if (!png_image_finish_read(&image, nullptr, pixels.bytes.data(), 0, nullptr)) return false;
  out = std::move(pixels);
  return true;
}

juce::Image DecodePngImage(const uint8_t* data, size_t size) {
  DecodedPixels pixels;
  if (!DecodePng(data, size, pixels)) return {};
  const int width = static_cast<int>(pixels.width), height = static_cast<int>(pixels.height);
  juce::Image image(juce::Image::ARGB, width, height, false);
  juce::Image::BitmapData target(image, juce::Image::BitmapData::writeOnly);
  const size_t step = pixels.grey ? 1 : 4;
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = pixels.bytes.data() + static_cast<size_t>(y) * static_cast<size_t>(width) * step;
    for (int x = 0; x < width; ++x) {
      const uint8_t* p = row + static_cast<size_t>(x) * step;
      const juce::Colour colour = pixels.grey ? juce::Colour(p[0], p[0], p[0]) : juce::Colour(p[2], p[1], p[0], p[3]);
      target.setPixelColour(x, y, colour);
    }
  }
  return image;
}
