#pragma once
// What an image file may ask for, checked against its header before any
// pixel memory is taken: larger images would not fit a process's memory anyway.
#include <cstdint>

namespace ImageLimits {

constexpr uint32_t kMaxSide = 1u << 15;
constexpr uint64_t kMaxPixels = uint64_t{1} << 26;
// Working memory a decoder may take besides the pixels (a progressive JPEG
// keeps every coefficient of the image).
constexpr long kMaxDecoderMemory = 512L << 20;
// A picture file larger than this is not read at all (an uncompressed bitmap
// at the pixel limit is about this large).
constexpr uint64_t kMaxFileBytes = uint64_t{256} << 20;
// Enough of a file for its header (size and format) behind the usual metadata.
constexpr uint64_t kHeaderBytes = uint64_t{1} << 20;

inline bool Fits(uint64_t width, uint64_t height) {
  return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels;
}

}  // namespace ImageLimits
