#pragma once
// PNG decoding through libpng, which checks every chunk and its checksum; the
// size is checked against the image limits before the pixels are allocated.
// Every PNG that comes from outside the program (skins, icons, photos) is read
// here, never by JUCE's own reader, which does not survive a damaged file.
#include <cstddef>
#include <cstdint>

#include "image/DecodedPixels.h"

namespace juce {
class Image;
}

// Grey stays one byte a pixel for a grey file without transparency; else BGRA.
// False when the data is not a whole PNG within the limits.
bool DecodePng(const uint8_t* data, size_t size, DecodedPixels& out);

// The same PNG as an ARGB JUCE image; a null image when DecodePng refuses it.
juce::Image DecodePngImage(const uint8_t* data, size_t size);
