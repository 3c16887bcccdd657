#pragma once
// Reading image files for CxImage: the format from the first bytes, the header
// (size, format, grey) without decoding, BMP pixels, and PNG, JPEG and GIF
// through libpng, libjpeg and giflib, which are built to meet hostile files.
// Each size in a header is checked against the bytes that are there and
// against the image limits before pixels are allocated.
#include <cstddef>
#include <cstdint>

#include "image/DecodedPixels.h"

class CxImage;

namespace juce {
class Image;
}

struct ImageHeader {
  unsigned long width = 0;
  unsigned long height = 0;
  unsigned long format = 0;
  bool grey = false;  // one channel of grey levels (PNG type 0, one-component JPEG)
};

class CxImageCodec {
 public:
  // The format code of the bytes' signature; 0 when none is known.
  static unsigned long DetectFormat(const uint8_t* data, size_t size);
  // 1 when the header of a known format was read completely.
  static int ReadHeader(const uint8_t* data, size_t size, ImageHeader& header);
  // Decodes into image; false (image untouched) when the data is not a whole image.
  static bool Decode(const uint8_t* data, size_t size, const ImageHeader& header, CxImage& image);
  // A PNG, JPEG or GIF as a JUCE image (RGB, or ARGB when not opaque); a null
  // image for anything else or a damaged file. JUCE's own readers are never
  // given such bytes: they do not survive a damaged file.
  static juce::Image DecodeToJuceImage(const uint8_t* data, size_t size);

 private:
  static bool DecodeBmp(const uint8_t* data, size_t size, CxImage& image);
  static void FromDecoded(const DecodedPixels& pixels, unsigned long format, CxImage& image);
};
