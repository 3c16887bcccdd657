#include "ui/cximage/PngReader.h"

#include <png.h>

#include <cstring>

#include "ui/cximage/ImageLimits.h"

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
