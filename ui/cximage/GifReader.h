#pragma once
// GIF decoding through giflib: the first picture, placed on the logical
// screen, its transparent colour as alpha 0 (as is the screen it does not cover).
// Sizes are checked against the image limits before the pixels are allocated.
#include <cstddef>
#include <cstdint>

#include "image/DecodedPixels.h"

// BGRA; false when the data holds no whole first picture within the limits.
bool DecodeGif(const uint8_t* data, size_t size, DecodedPixels& out);
