#pragma once
// Reading image files for CxImage: the format from the first bytes, the header
// (size, format, grey) without decoding, BMP pixels, and the others through
// JUCE. Each size in a header is checked against the bytes that are there.
#include <cstddef>
#include <cstdint>

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
  // A PNG, JPEG or GIF as a JUCE image; a null image for anything else or a
  // damaged file. A PNG is checked whole before JUCE reads it (chunks, their
  // checksums, the compressed pixels) and a JPEG is read with our own error
  // handling: JUCE's readers of both do not survive a damaged file. A GIF's
  // blocks are checked to its trailer.
  static juce::Image DecodeWithJuce(const uint8_t* data, size_t size);
  static bool IsWholePng(const uint8_t* data, size_t size);
  // Every block of the GIF up to its trailer is there (JUCE draws a cut GIF
  // as far as it goes).
  static bool IsWholeGif(const uint8_t* data, size_t size);

 private:
  static bool DecodeBmp(const uint8_t* data, size_t size, CxImage& image);
};
