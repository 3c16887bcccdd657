#include "ui/cximage/CxImageCodec.h"

#include <juce_graphics/juce_graphics.h>

#include <array>
#include <cstring>

#include "ui/cximage/CxImage.h"
#include "ui/cximage/JpegReader.h"

namespace {

uint32_t Be32(const uint8_t* p) { return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3]; }
uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24); }

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Larger images are refused: their pixels would not fit a process's memory anyway.
constexpr unsigned long kMaxSide = 1u << 15;

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
  if (n < 10) return 0;
  h.width = Le16(d + 6);
  h.height = Le16(d + 8);
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
  return ok && h.width > 0 && h.height > 0 && h.width <= kMaxSide && h.height <= kMaxSide;
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
  if (header.format != CXIMAGE_FORMAT_PNG && header.format != CXIMAGE_FORMAT_JPG && header.format != CXIMAGE_FORMAT_GIF)
    return false;
  juce::Image decoded = DecodeWithJuce(d, n);
  if (!decoded.isValid() || static_cast<unsigned long>(decoded.getWidth()) != header.width ||
      static_cast<unsigned long>(decoded.getHeight()) != header.height)
    return false;
  CxImage result;
  result.FromJuceImage(decoded);
  if (header.grey && !result.AlphaIsValid()) {
    // One channel of grey levels stays one byte per pixel, as the cache expects.
    CxImage grey;
    grey.Create(result.m_width, result.m_height, 8);
    for (DWORD y = 0; y < result.m_height; ++y) {
      const uint8_t* src = result.GetBits(y);
      uint8_t* dst = grey.GetBits(y);
      for (DWORD x = 0; x < result.m_width; ++x) dst[x] = src[x * 3 + 1];
    }
    result = std::move(grey);
  }
  result.m_type = header.format;
  image = std::move(result);
  return true;
}

namespace {

uint32_t Crc32(const uint8_t* data, size_t size) {
  static const auto table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

// Bytes of the filtered pixel data of a non-interlaced PNG: a filter byte and
// the packed samples of each row.
uint64_t PngPixelBytes(uint32_t width, uint32_t height, uint8_t depth, uint8_t colourType) {
  const int channels = colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
  return (1 + (uint64_t(width) * channels * depth + 7) / 8) * height;
}

}  // namespace

bool CxImageCodec::IsWholePng(const uint8_t* d, size_t n) {
  if (n < 8 || std::memcmp(d, kPngSignature, 8) != 0) return false;
  size_t pos = 8;
  bool header = false, end = false;
  uint32_t width = 0, height = 0;
  uint8_t depth = 0, colourType = 0, interlace = 0;
  juce::MemoryBlock compressed;
  while (!end) {
    if (n - pos < 12) return false;
    const uint32_t length = Be32(d + pos);
    if (length > n - pos - 12) return false;
    const uint8_t* type = d + pos + 4;
    const uint8_t* body = d + pos + 8;
    if (Crc32(type, size_t(length) + 4) != Be32(body + length)) return false;
    if (!header) {
      if (std::memcmp(type, "IHDR", 4) != 0 || length != 13) return false;
      width = Be32(body), height = Be32(body + 4), depth = body[8], colourType = body[9], interlace = body[12];
      header = true;
    } else if (std::memcmp(type, "IDAT", 4) == 0) {
      compressed.append(body, length);
    } else if (std::memcmp(type, "IEND", 4) == 0) {
      end = true;
    }
    pos += size_t(length) + 12;
  }
  if (compressed.isEmpty()) return false;
  // The pixels must inflate without error to at least what the header promises.
  juce::MemoryInputStream source(compressed, false);
  juce::GZIPDecompressorInputStream inflate(&source, false, juce::GZIPDecompressorInputStream::zlibFormat);
  uint64_t total = 0;
  char buffer[16384];
  for (;;) {
    const int got = inflate.read(buffer, sizeof buffer);
    if (got <= 0) break;
    total += static_cast<uint64_t>(got);
  }
  if (inflate.isExhausted() == false) return false;
  return interlace != 0 || total >= PngPixelBytes(width, height, depth, colourType);
}

bool CxImageCodec::IsWholeGif(const uint8_t* d, size_t n) {
  if (n < 13 || DetectFormat(d, n) != CXIMAGE_FORMAT_GIF) return false;
  auto tableBytes = [](uint8_t flags) -> size_t { return (flags & 0x80) ? size_t(3) << ((flags & 7) + 1) : 0; };
  // Sub-blocks from pos up to and including their zero terminator; false when cut.
  auto skipBlocks = [&](size_t& pos) {
    while (pos < n) {
      const size_t length = d[pos++];
      if (length == 0) return true;
      if (length > n - pos) return false;
      pos += length;
    }
    return false;
  };
  size_t pos = 13 + tableBytes(d[10]);
  while (pos < n) {
    const uint8_t block = d[pos++];
    if (block == 0x3B) return true;  // the trailer
    if (block == 0x21) {
      if (pos >= n) return false;
      ++pos;  // the extension's label
      if (!skipBlocks(pos)) return false;
    } else if (block == 0x2C) {
      if (n - pos < 10) return false;
      // JUCE sizes the picture by this descriptor: it must fit the screen's size.
      const unsigned long width = Le16(d + pos + 4), height = Le16(d + pos + 6);
      if (width == 0 || height == 0 || width > Le16(d + 6) || height > Le16(d + 8)) return false;
      pos += 9 + tableBytes(d[pos + 8]);
      if (pos >= n || d[pos] < 2 || d[pos] > 8) return false;  // the LZW code size
      ++pos;
      if (!skipBlocks(pos)) return false;
    } else {
      return false;
    }
  }
  return false;
}

juce::Image CxImageCodec::DecodeWithJuce(const uint8_t* d, size_t n) {
  const unsigned long format = DetectFormat(d, n);
  if (format == CXIMAGE_FORMAT_PNG && !IsWholePng(d, n)) return {};
  if (format == CXIMAGE_FORMAT_JPG) {
    CxImage jpeg;
    if (!DecodeJpeg(d, n, jpeg)) return {};
    return jpeg.ToJuceImage().convertedToFormat(juce::Image::RGB);
  }
  if (format == CXIMAGE_FORMAT_GIF && !IsWholeGif(d, n)) return {};
  if (format != CXIMAGE_FORMAT_PNG && format != CXIMAGE_FORMAT_GIF) return {};
  return juce::ImageFileFormat::loadFrom(d, n);
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
  if (width > kMaxSide || height > kMaxSide) return false;
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
