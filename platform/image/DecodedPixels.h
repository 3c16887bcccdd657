#pragma once
// Pixels as a decoder gives them: top-down rows, packed, either grey (one byte
// a pixel) or blue, green, red, alpha (four bytes a pixel, alpha not premultiplied).
#include <cstdint>
#include <vector>

struct DecodedPixels {
  uint32_t width = 0;
  uint32_t height = 0;
  bool grey = false;
  std::vector<uint8_t> bytes;
};
