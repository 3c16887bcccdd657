#pragma once
// GIF decoding through giflib: the first picture, clipped to the logical
// screen, its transparent colour as alpha 0. The picture is as large as the
// part of the screen the first frame covers, never the whole screen a file
// claims: a few bytes can claim a screen of hundreds of megabytes. Screen and
// frame are checked against the image limits before anything is allocated, and
// the frame's rows take memory only as the file's data yields them.
#include <cstddef>
#include <cstdint>

#include "image/DecodedPixels.h"

struct GifFrameArea {
  uint32_t width = 0, height = 0;
};

// The size DecodeGif gives, from the screen and the first frame's descriptor;
// false when the data does not reach a frame that lies on the screen within the limits.
bool ReadGifFrameArea(const uint8_t* data, size_t size, GifFrameArea& area);

// BGRA; false when the data holds no whole first picture within the limits.
bool DecodeGif(const uint8_t* data, size_t size, DecodedPixels& out);
