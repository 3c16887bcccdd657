#include "ui/cximage/CxImageCodec.h"

#include <juce_graphics/juce_graphics.h>

#include <cstring>
#include <vector>

#include "image/ImageLimits.h"
#include "image/PngReader.h"
#include "ui/cximage/CxImage.h"
#include "ui/cximage/GifReader.h"
#include "ui/cximage/JpegReader.h"

namespace {

uint32_t Be32(const uint8_t* p) { return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3]; }
uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24); }

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

int ReadPngHeader(const uint8_t* d, size_t n, ImageHeader& h) {
  if (n < 29 || std::memcmp(d + 12, "IHDR", 4) != 0) return 0;
  h.width = Be32(d + 16);
  h.height = Be32(d + 20);
  h.grey = d[25] == 0;
  return 1;
}

int ReadJpegHeader(const uint8_t* d, size_t n, ImageHeader& h) {
  size_t pos = 2;
  while (pos + 4 <= n) {
    if (d[pos] != 0xFF) return 0;
    const uint8_t marker = d[pos + 1];
    if (marker == 0xFF) {  // fill byte
      ++pos;
      continue;
    }
    if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
      pos += 2;
      continue;
    }
    const size_t length = Be16(d + pos + 2);
    if (length < 2) return 0;
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (pos + 10 > n || length < 8) return 0;
      h.height = Be16(d + pos + 5);
      h.width = Be16(d + pos + 7);
      h.grey = d[pos + 9] == 1;
      return 1;
    }
    if (marker == 0xD9 || marker == 0xDA) return 0;  // no frame before the data
    pos += 2 + length;
  }
  return 0;
}

int ReadGifHeader(const uint8_t* d, size_t n, ImageHeader& h) {
  GifFrameArea area;
  if (!ReadGifFrameArea(d, n, area)) return 0;
  h.width = area.width;
  h.height = area.height;
  return 1;
}

struct BmpInfo {
  uint32_t offset, headerSize, compression, colours;
  int32_t width, height;
  uint16_t bitCount;
};

int ReadBmpInfo(const uint8_t* d, size_t n, BmpInfo& info) {
  if (n < 54) return 0;
  info.offset = Le32(d + 10);
  info.headerSize = Le32(d + 14);
  if (info.headerSize < 40 || 14 + size_t(info.headerSize) > n) return 0;
  info.width = static_cast<int32_t>(Le32(d + 18));
  info.height = static_cast<int32_t>(Le32(d + 22));
  info.bitCount = Le16(d + 28);
  info.compression = Le32(d + 30);
  info.colours = Le32(d + 46);
  return 1;
}

int ReadBmpHeader(const uint8_t* d, size_t n, ImageHeader& h) {
  BmpInfo info{};
  if (!ReadBmpInfo(d, n, info) || info.width <= 0 || info.height == 0 || info.height == INT32_MIN) return 0;
  h.width = static_cast<unsigned long>(info.width);
  h.height = static_cast<unsigned long>(info.height < 0 ? -info.height : info.height);
  return 1;
}

}  // namespace

unsigned long CxImageCodec::DetectFormat(const uint8_t* d, size_t n) {
  if (n >= 8 && std::memcmp(d, kPngSignature, 8) == 0) return CXIMAGE_FORMAT_PNG;
  if (n >= 3 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF) return CXIMAGE_FORMAT_JPG;
  if (n >= 6 && (std::memcmp(d, "GIF87a", 6) == 0 || std::memcmp(d, "GIF89a", 6) == 0)) return CXIMAGE_FORMAT_GIF;
  if (n >= 2 && d[0] == 'B' && d[1] == 'M') return CXIMAGE_FORMAT_BMP;
  if (n >= 4 && d[0] == 0 && d[1] == 0 && d[2] == 1 && d[3] == 0) return CXIMAGE_FORMAT_ICO;
  if (n >= 4 && ((d[0] == 'I' && d[1] == 'I' && d[2] == 42 && d[3] == 0) || (d[0] == 'M' && d[1] == 'M' && d[2] == 0 && d[3] == 42)))
    return CXIMAGE_FORMAT_TIF;
  return CXIMAGE_FORMAT_UNKNOWN;
}

int CxImageCodec::ReadHeader(const uint8_t* d, size_t n, ImageHeader& h) {
  h = ImageHeader();
  h.format = DetectFormat(d, n);
  int ok = 0;
  switch (h.format) {
    case CXIMAGE_FORMAT_PNG: ok = ReadPngHeader(d, n, h); break;
    case CXIMAGE_FORMAT_JPG: ok = ReadJpegHeader(d, n, h); break;
    case CXIMAGE_FORMAT_GIF: ok = ReadGifHeader(d, n, h); break;
    case CXIMAGE_FORMAT_BMP: ok = ReadBmpHeader(d, n, h); break;
    default: break;
  }
  return ok && ImageLimits::Fits(h.width, h.height);
}

bool CxImageCodec::Decode(const uint8_t* d, size_t n, const ImageHeader& header, CxImage& image) {
  if (header.format == CXIMAGE_FORMAT_BMP) return DecodeBmp(d, n, image);
  if (header.format == CXIMAGE_FORMAT_JPG) {
    CxImage jpeg;
    if (!DecodeJpeg(d, n, jpeg) || jpeg.GetWidth() != header.width || jpeg.GetHeight() != header.height) return false;
    jpeg.m_type = CXIMAGE_FORMAT_JPG;
    image = std::move(jpeg);
    return true;
  }
  DecodedPixels pixels;
  if (header.format == CXIMAGE_FORMAT_PNG) {
    if (!DecodePng(d, n, pixels)) return false;
  } else if (header.format == CXIMAGE_FORMAT_GIF) {
    if (!DecodeGif(d, n, pixels)) return false;
  } else {
    return false;
  }
  if (pixels.width != header.width || pixels.height != header.height) return false;
  FromDecoded(pixels, header.format, image);
  return true;
}

void CxImageCodec::FromDecoded(const DecodedPixels& pixels, unsigned long format, CxImage& image) {
  const DWORD width = pixels.width, height = pixels.height;
  CxImage result;
  if (pixels.grey) {
    result.Create(width, height, 8);
    for (DWORD y = 0; y < height; ++y)
      std::memcpy(result.GetBits(height - 1 - y), pixels.bytes.data() + size_t(y) * width, width);
  } else {
    result.Create(width, height, 24);
    std::vector<uint8_t> alpha(size_t(width) * height);
    bool opaque = true;
    for (DWORD y = 0; y < height; ++y) {
      const DWORD row = height - 1 - y;
      const uint8_t* src = pixels.bytes.data() + size_t(y) * width * 4;
      uint8_t* dst = result.GetBits(row);
      uint8_t* a = alpha.data() + size_t(row) * width;
      for (DWORD x = 0; x < width; ++x, src += 4) {
        dst[x * 3] = src[0], dst[x * 3 + 1] = src[1], dst[x * 3 + 2] = src[2];
        a[x] = src[3];
        opaque = opaque && src[3] == 255;
      }
    }
    if (!opaque) result.m_alpha = std::move(alpha);
  }
  result.m_type = format;
  image = std::move(result);
}

juce::Image CxImageCodec::DecodeToJuceImage(const uint8_t* d, size_t n) {
  ImageHeader header;
  CxImage image;
  if (!ReadHeader(d, n, header) || header.format == CXIMAGE_FORMAT_BMP || !Decode(d, n, header, image)) return {};
  const juce::Image argb = image.ToJuceImage();
  return image.AlphaIsValid() ? argb : argb.convertedToFormat(juce::Image::RGB);
}

bool CxImageCodec::DecodeBmp(const uint8_t* d, size_t n, CxImage& image) {
  BmpInfo info{};
  if (!ReadBmpInfo(d, n, info) || info.compression != 0) return false;  // BI_RGB only
  const uint16_t bits = info.bitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;
  if (info.width <= 0 || info.height == 0 || info.height == INT32_MIN) return false;
  const DWORD width = static_cast<DWORD>(info.width);
  const bool topDown = info.height < 0;
  const DWORD height = static_cast<DWORD>(topDown ? -info.height : info.height);
  if (!ImageLimits::Fits(width, height)) return false;
  const uint64_t rowBytes = CxImage::RowBytes(width, bits);
  if (info.offset > n || rowBytes * height > n - info.offset) return false;

  CxImage result;
  if (bits <= 8) {
    const uint32_t entries = info.colours ? info.colours : (1u << bits);
    const size_t table = 14 + size_t(info.headerSize);
    if (entries > 256 || table + size_t(entries) * 4 > info.offset) return false;
    result.Create(width, height, 8);
    for (uint32_t i = 0; i < 256; ++i) result.m_palette[i] = CxImage::Palette{0, 0, 0, 0};
    for (uint32_t i = 0; i < entries; ++i) {
      const uint8_t* e = d + table + i * 4;
      result.m_palette[i] = CxImage::Palette{e[0], e[1], e[2], 0};
    }
  } else {
    result.Create(width, height, 24);
  }
  for (DWORD y = 0; y < height; ++y) {
    // Our rows are bottom-up, like the file's unless it says top-down.
    const uint8_t* src = d + info.offset + rowBytes * (topDown ? height - 1 - y : y);
    uint8_t* dst = result.GetBits(y);
    for (DWORD x = 0; x < width; ++x) {
      switch (bits) {
        case 1: dst[x] = (src[x >> 3] >> (7 - (x & 7))) & 1; break;
        case 4: dst[x] = (x & 1) ? (src[x >> 1] & 0x0F) : (src[x >> 1] >> 4); break;
        case 8: dst[x] = src[x]; break;
        default: std::memcpy(dst + x * 3, src + x * (bits / 8), 3); break;
      }
    }
  }
  result.m_type = CXIMAGE_FORMAT_BMP;
  image = std::move(result);
  return true;
}
