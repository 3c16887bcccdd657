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

// The part of the screen [0, screen) that a frame at [offset, offset + extent) covers.
bool Clip(long offset, long extent, long screen, long& from, long& to) {
  from = std::min(offset, screen);
  to = std::min(offset + extent, screen);
  return to > from;
}

bool FrameFits(long width, long height) {
  return width > 0 && height > 0 &&
         ImageLimits::Fits(static_cast<uint64_t>(width), static_cast<uint64_t>(height));
}

bool ReadPicture(GifFileType* gif, int transparent, DecodedPixels& pixels) {
  if (DGifGetImageDesc(gif) != GIF_OK) return false;
  const GifImageDesc& desc = gif->Image;
  const ColorMapObject* colours = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
  long x0, x1, y0, y1;
  if (!colours || !FrameFits(desc.Width, desc.Height) || !Clip(desc.Left, desc.Width, gif->SWidth, x0, x1) ||
      !Clip(desc.Top, desc.Height, gif->SHeight, y0, y1))
    return false;
  // Rows in the order they arrive; the buffer grows with the data actually read.
  const std::vector<int> rows = RowOrder(desc.Height, desc.Interlace);
  std::vector<GifPixelType> indices;
  std::vector<GifPixelType> line(static_cast<size_t>(desc.Width));
  for (size_t i = 0; i < rows.size(); ++i) {
    if (DGifGetLine(gif, line.data(), desc.Width) != GIF_OK) return false;
    indices.insert(indices.end(), line.begin(), line.end());
  }
  pixels.width = static_cast<uint32_t>(x1 - x0);
  pixels.height = static_cast<uint32_t>(y1 - y0);
  pixels.bytes.assign(size_t{pixels.width} * pixels.height * 4, 0);
  for (size_t i = 0; i < rows.size(); ++i) {
    // The part of the frame off the screen is dropped.
    const long y = desc.Top + rows[i] - y0;
    if (y < 0 || y >= static_cast<long>(pixels.height)) continue;
    const GifPixelType* from = indices.data() + i * static_cast<size_t>(desc.Width);
    for (long x = 0; x < static_cast<long>(pixels.width); ++x) {
      const int index = from[x];
      if (index == transparent || index >= colours->ColorCount) continue;  // stays clear
      uint8_t* p = &pixels.bytes[(static_cast<size_t>(y) * pixels.width + static_cast<size_t>(x)) * 4];
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
    if (!ReadPicture(gif.get(), transparent, pixels)) return false;
    out = std::move(pixels);
    return true;
  }
}

bool ReadGifFrameArea(const uint8_t* d, size_t n, GifFrameArea& area) {
  auto le16 = [&](size_t at) { return static_cast<long>(d[at] | (d[at + 1] << 8)); };
  if (n < 13) return false;
  const long screenW = le16(6), screenH = le16(8);
  if (!FrameFits(screenW, screenH)) return false;
  size_t pos = 13;
  if (d[10] & 0x80) pos += 3 * (size_t{1} << ((d[10] & 7) + 1));  // the global colour table
  while (pos < n) {
    if (d[pos] == 0x21) {  // an extension: its label, then sub-blocks up to an empty one
      pos += 2;
      while (pos < n && d[pos] != 0) pos += size_t{d[pos]} + 1;
      ++pos;
      continue;
    }
    if (d[pos] != 0x2C || pos + 10 > n) return false;
    long x0, x1, y0, y1;
    const long left = le16(pos + 1), top = le16(pos + 3), width = le16(pos + 5), height = le16(pos + 7);
    if (!FrameFits(width, height) || !Clip(left, width, screenW, x0, x1) || !Clip(top, height, screenH, y0, y1))
      return false;
    area.width = static_cast<uint32_t>(x1 - x0);
    area.height = static_cast<uint32_t>(y1 - y0);
    return true;
  }
  return false;
}
