#pragma once
// JPEG decoding through libjpeg with an error handler that returns control to
// the caller, so a damaged file ends the decode instead of the process.
#include <cstddef>
#include <cstdint>

class CxImage;

// 24-bit colour, or 8-bit grey for a one-component file; false (image
// untouched) when the data is not a whole image.
bool DecodeJpeg(const uint8_t* data, size_t size, CxImage& image);
