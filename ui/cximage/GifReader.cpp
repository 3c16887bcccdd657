#include "ui/cximage/GifReader.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "image/ImageLimits.h"

namespace {

struct Source {
  const uint8_t* data;
  size_t size;
  size_t pos;
};

int ReadBytes(GifFileType* gif, GifByteType* into, int count) {
  auto* source = static_cast<Source*>(gif->UserData);
  if (count < 0) return 0;
  const size_t n = std::min<size_t>(static_cast<size_t>(count), source->size - source->pos);
  std::memcpy(into, source->data + source->pos, n);
  source->pos += n;
  return static_cast<int>(n);
}

struct Closer {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};

// Rows of an interlaced picture arrive in four passes.
std::vector<int> RowOrder(int height, bool interlaced) {
  std::vector<int> rows;
  rows.reserve(static_cast<size_t>(height));
  if (!interlaced) {
    for (int y = 0; y < height; ++y) rows.push_back(y);
    return rows;
  }
  const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (int y = start[pass]; y < height; y += step[pass]) rows.push_back(y);
  return rows;
}

bool ReadPicture(GifFileType* gif, int transparent, DecodedPixels& pixels) {
  if (DGifGetImageDesc(gif) != GIF_OK) return false;
  const GifImageDesc& desc = gif->Image;
  const ColorMapObject* colours = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
  if (!colours || desc.Width <= 0 || desc.Height <= 0 ||
      !ImageLimits::Fits(static_cast<uint64_t>(desc.Width), static_cast<uint64_t>(desc.Height)))
    return false;
  std::vector<GifPixelType> line(static_cast<size_t>(desc.Width));
  for (int y : RowOrder(desc.Height, desc.Interlace)) {
    if (DGifGetLine(gif, line.data(), desc.Width) != GIF_OK) return false;
    // The part of the picture off the screen is read and dropped.
    const long screenY = static_cast<long>(desc.Top) + y;
    if (screenY >= static_cast<long>(pixels.height)) continue;
    for (int x = 0; x < desc.Width; ++x) {
      const long screenX = static_cast<long>(desc.Left) + x;
      if (screenX >= static_cast<long>(pixels.width)) break;
      const int index = line[static_cast<size_t>(x)];
      if (index == transparent || index >= colours->ColorCount) continue;  // stays clear
      uint8_t* p = &pixels.bytes[(static_cast<size_t>(screenY) * pixels.width + static_cast<size_t>(screenX)) * 4];
      const GifColorType& c = colours->Colors[index];
      p[0] = c.Blue, p[1] = c.Green, p[2] = c.Red, p[3] = 255;
    }
  }
  return true;
}

}  // namespace

bool DecodeGif(const uint8_t* data, size_t size, DecodedPixels& out) {
  Source source{data, size, 0};
  int error = 0;
  std::unique_ptr<GifFileType, Closer> gif(DGifOpen(&source, ReadBytes, &error));
  if (!gif || !ImageLimits::Fits(static_cast<uint64_t>(gif->SWidth), static_cast<uint64_t>(gif->SHeight))) return false;
  DecodedPixels pixels;
  pixels.width = static_cast<uint32_t>(gif->SWidth);
  pixels.height = static_cast<uint32_t>(gif->SHeight);
  int transparent = -1;
  for (;;) {
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif.get(), &record) != GIF_OK) return false;
    if (record == TERMINATE_RECORD_TYPE) return false;  // no picture
    if (record == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* block = nullptr;
      if (DGifGetExtension(gif.get(), &code, &block) != GIF_OK) return false;
      if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) transparent = (block[1] & 1) ? block[4] : -1;
      while (block)
        if (DGifGetExtensionNext(gif.get(), &block) != GIF_OK) return false;
      continue;
    }
    if (record != IMAGE_DESC_RECORD_TYPE) return false;
    pixels.bytes.assign(size_t{pixels.width} * pixels.height * 4, 0);
    if (!ReadPicture(gif.get(), transparent, pixels)) return false;
    out = std::move(pixels);
    return true;
  }
}
