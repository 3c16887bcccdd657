// GIF files whose screen and first frame take the sizes and place the input
// gives (bytes 0-11: screen width and height, frame left, top, width and
// height, 16-bit little-endian each; the rest: the frame's image data). The
// decoder must refuse them or give exactly the area its header reading promised.
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"
#include "image/ImageLimits.h"
#include "ui/cximage/GifReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 12) return 0;
  std::string gif = "GIF89a";
  gif.append(reinterpret_cast<const char*>(data), 4);                // the screen
  gif.append("\xF1\x00\x00", 3);                                     // a global table of 4 colours
  gif.append("\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF\xFF\xFF\xFF", 12);
  gif += '\x2C';
  gif.append(reinterpret_cast<const char*>(data + 4), 8);            // the frame's place and size
  gif += '\x00';
  gif.append(reinterpret_cast<const char*>(data + 12), size - 12);  // its image data
  gif += '\x3B';
  const auto* bytes = reinterpret_cast<const uint8_t*>(gif.data());
  GifFrameArea area;
  const bool known = ReadGifFrameArea(bytes, gif.size(), area);
  DecodedPixels pixels;
  if (!DecodeGif(bytes, gif.size(), pixels)) return 0;
  if (!known || pixels.width != area.width || pixels.height != area.height ||
      !ImageLimits::Fits(pixels.width, pixels.height) || pixels.bytes.size() != size_t{pixels.width} * pixels.height * 4)
    std::abort();
  return 0;
}
