#pragma once
// PNG decoding through libpng, which checks every chunk and its checksum; the
// size is checked against the image limits before the pixels are allocated.
#include <cstddef>
#include <cstdint>

#include "ui/cximage/DecodedPixels.h"

// Grey stays one byte a pixel for a grey file without transparency; else BGRA.
// False when the data is not a whole PNG within the limits.
bool DecodePng(const uint8_t* data, size_t size, DecodedPixels& out);
