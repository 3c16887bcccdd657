#include "ui/cximage/CxImage.h"

#include <juce_graphics/juce_graphics.h>

#include <algorithm>

#include "common/StringConvert.h"
#include "image/ImageLimits.h"
#include "image/RegularFile.h"
#include "ui/cximage/CxImageCodec.h"
#include "win32/NativePath.h"

namespace {

juce::File FileOf(const wchar_t* path) { return juce::File(juce::String(path ? path : L"")); }

}  // namespace

CxImage::CxImage(DWORD format) : m_type(format) {}

CxImage::CxImage(const wchar_t* path, DWORD format) : m_type(format) { Load(path, format); }

CxImage::~CxImage() { Destroy(); }

void CxImage::Destroy() {
  m_bits.clear();
  m_palette.clear();
  m_alpha.clear();
  m_width = m_height = 0;
  m_bpp = 0;
}

bool CxImage::Load(const wchar_t* path, DWORD format) {
  const long escape = m_escape;
  m_escape = 0;
  Destroy();
  if (!path) return false;
  // Pictures come from folders anyone may fill: regular files of a bounded
  // size only, and for the size alone only the first bytes.
  const std::string native = NativePath(path);
  std::vector<uint8_t> data;
  ImageHeader header;
  bool known = false;
  if (escape == -1 && RegularFile::Read(native, ImageLimits::kMaxFileBytes, data, ImageLimits::kHeaderBytes)) {
    known = CxImageCodec::ReadHeader(data.data(), data.size(), header);
  }
  if (!known) {
    // A header further in than the first bytes (or a whole picture to decode).
    if (escape == -1 && data.size() < ImageLimits::kHeaderBytes) return false;
    if (!RegularFile::Read(native, ImageLimits::kMaxFileBytes, data)) return false;
    if (!CxImageCodec::ReadHeader(data.data(), data.size(), header)) return false;
  }
  if (format != CXIMAGE_FORMAT_UNKNOWN && format != header.format) return false;
  if (escape == -1) {
    m_width = header.width;
    m_height = header.height;
    m_type = header.format;
    return true;
  }
  return CxImageCodec::Decode(data.data(), data.size(), header, *this);
}

WORD CxImage::GetColorType() const {
  if (!m_alpha.empty()) return 4;
  return m_bpp == 8 ? 1 : 2;
}

bool CxImage::IsGrayScale() const {
  if (m_bpp != 8 || m_palette.size() != 256) return false;
  for (int i = 0; i < 256; ++i) {
    const Palette& p = m_palette[static_cast<size_t>(i)];
    if (p.red != i || p.green != i || p.blue != i) return false;
  }
  return true;
}

uint8_t* CxImage::GetBits(DWORD row) {
  if (m_bits.empty() || row >= m_height) return nullptr;
  return m_bits.data() + size_t(row) * GetEffWidth();
}

uint8_t* CxImage::AlphaGetPointer(long x, long y) {
  if (m_alpha.empty() || x < 0 || y < 0 || DWORD(x) >= m_width || DWORD(y) >= m_height) return nullptr;
  return m_alpha.data() + size_t(y) * m_width + size_t(x);
}

void CxImage::Create(DWORD width, DWORD height, WORD bpp) {
  Destroy();
  m_width = width;
  m_height = height;
  m_bpp = bpp;
  m_bits.assign(size_t(RowBytes(width, bpp)) * height, 0);
  if (bpp == 8) {
    m_palette.resize(256);
    for (int i = 0; i < 256; ++i) {
      const auto v = static_cast<uint8_t>(i);
      m_palette[static_cast<size_t>(i)] = Palette{v, v, v, 0};
    }
  }
}

bool CxImage::IncreaseBpp(DWORD bpp) {
  if (!IsValid() || bpp != 24) return false;
  if (m_bpp == 24) return true;
  CxImage wide;
  wide.Create(m_width, m_height, 24);
  for (DWORD y = 0; y < m_height; ++y) {
    const uint8_t* src = GetBits(y);
    uint8_t* dst = wide.GetBits(y);
    for (DWORD x = 0; x < m_width; ++x) {
      const Palette& p = m_palette[src[x]];
      dst[x * 3] = p.blue;
      dst[x * 3 + 1] = p.green;
      dst[x * 3 + 2] = p.red;
    }
  }
  wide.m_alpha = std::move(m_alpha);
  wide.m_type = m_type;
  wide.m_jpegQuality = m_jpegQuality;
  *this = std::move(wide);
  return true;
}

juce::Image CxImage::ToJuceImage() const {
  if (!IsValid()) return {};
  juce::Image out(juce::Image::ARGB, static_cast<int>(m_width), static_cast<int>(m_height), false);
  juce::Image::BitmapData bitmap(out, juce::Image::BitmapData::writeOnly);
  const DWORD rowBytes = GetEffWidth();
  for (DWORD y = 0; y < m_height; ++y) {
    const DWORD row = m_height - 1 - y;  // ours are bottom-up
    const uint8_t* src = m_bits.data() + size_t(row) * rowBytes;
    for (DWORD x = 0; x < m_width; ++x) {
      uint8_t r, g, b;
      if (m_bpp == 8) {
        const Palette& p = m_palette[src[x]];
        r = p.red, g = p.green, b = p.blue;
      } else {
        b = src[x * 3], g = src[x * 3 + 1], r = src[x * 3 + 2];
      }
      const uint8_t a = m_alpha.empty() ? 255 : m_alpha[size_t(row) * m_width + x];
      bitmap.setPixelColour(static_cast<int>(x), static_cast<int>(y), juce::Colour(r, g, b, a));
    }
  }
  return out;
}

void CxImage::FromJuceImage(const juce::Image& image) {
  Destroy();
  if (!image.isValid()) return;
  const auto width = static_cast<DWORD>(image.getWidth());
  const auto height = static_cast<DWORD>(image.getHeight());
  Create(width, height, 24);
  const juce::Image::BitmapData bitmap(image, juce::Image::BitmapData::readOnly);
  std::vector<uint8_t> alpha(size_t(width) * height, 255);
  bool opaque = true;
  for (DWORD y = 0; y < height; ++y) {
    const DWORD row = height - 1 - y;
    uint8_t* dst = GetBits(row);
    for (DWORD x = 0; x < width; ++x) {
      const juce::Colour c = bitmap.getPixelColour(static_cast<int>(x), static_cast<int>(y));
      dst[x * 3] = c.getBlue();
      dst[x * 3 + 1] = c.getGreen();
      dst[x * 3 + 2] = c.getRed();
      alpha[size_t(row) * width + x] = c.getAlpha();
      opaque = opaque && c.getAlpha() == 255;
    }
  }
  if (!opaque) m_alpha = std::move(alpha);
}

namespace {

// Runs op on the JUCE form of the image and takes the result back, keeping
// the format code and JPEG quality; the result goes to dest when given.
template <typename Op>
bool Transform(CxImage& self, CxImage* dest, Op op) {
  if (!self.IsValid()) return false;
  const juce::Image result = op(self.ToJuceImage());
  if (!result.isValid()) return false;
  CxImage& target = dest ? *dest : self;
  if (dest) *dest = CxImage(self.GetType());
  target.FromJuceImage(result);
  return true;
}

juce::Image Rotated(const juce::Image& src, int quarterTurnsRight) {
  const int w = src.getWidth(), h = src.getHeight();
  const bool swap = quarterTurnsRight % 2 != 0;
  juce::Image out(juce::Image::ARGB, swap ? h : w, swap ? w : h, false);
  const juce::Image::BitmapData in(src, juce::Image::BitmapData::readOnly);
  juce::Image::BitmapData o(out, juce::Image::BitmapData::writeOnly);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      int nx = x, ny = y;
      switch (quarterTurnsRight) {
        case 1: nx = h - 1 - y, ny = x; break;
        case 2: nx = w - 1 - x, ny = h - 1 - y; break;
        case 3: nx = y, ny = w - 1 - x; break;
        default: break;
      }
      o.setPixelColour(nx, ny, in.getPixelColour(x, y));
    }
  }
  return out;
}

}  // namespace

bool CxImage::Resample(long width, long height, int, CxImage* dest) {
  if (width <= 0 || height <= 0) return false;
  return Transform(*this, dest, [&](const juce::Image& src) {
    return src.rescaled(static_cast<int>(width), static_cast<int>(height), juce::Graphics::highResamplingQuality);
  });
}

bool CxImage::Crop(long left, long top, long right, long bottom, CxImage* dest) {
  left = std::max(left, 0L), top = std::max(top, 0L);
  right = std::min(right, static_cast<long>(m_width)), bottom = std::min(bottom, static_cast<long>(m_height));
  if (right <= left || bottom <= top) return false;
  return Transform(*this, dest, [&](const juce::Image& src) {
    return src.getClippedImage({static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
                                static_cast<int>(bottom - top)})
        .createCopy();
  });
}

bool CxImage::RotateLeft(CxImage* dest) {
  return Transform(*this, dest, [](const juce::Image& src) { return Rotated(src, 3); });
}
bool CxImage::RotateRight(CxImage* dest) {
  return Transform(*this, dest, [](const juce::Image& src) { return Rotated(src, 1); });
}
bool CxImage::Rotate180(CxImage* dest) {
  return Transform(*this, dest, [](const juce::Image& src) { return Rotated(src, 2); });
}

bool CxImage::Mirror(bool, bool) {
  if (!IsValid()) return false;
  const DWORD pixelBytes = m_bpp / 8u;
  for (DWORD y = 0; y < m_height; ++y) {
    uint8_t* row = GetBits(y);
    uint8_t* alpha = AlphaGetPointer(0, static_cast<long>(y));
    for (DWORD l = 0, r = m_width - 1; l < r; ++l, --r) {
      std::swap_ranges(row + l * pixelBytes, row + (l + 1) * pixelBytes, row + r * pixelBytes);
      if (alpha) std::swap(alpha[l], alpha[r]);
    }
  }
  return true;
}

bool CxImage::Thumbnail(long width, long height, DWORD canvas, CxImage* dest) {
  if (!IsValid() || !dest || width <= 0 || height <= 0) return false;
  const double scale = std::min(double(width) / m_width, double(height) / m_height);
  const int w = std::max(1, static_cast<int>(m_width * scale + 0.5));
  const int h = std::max(1, static_cast<int>(m_height * scale + 0.5));
  juce::Image out(juce::Image::ARGB, static_cast<int>(width), static_cast<int>(height), false);
  {
    juce::Graphics g(out);
    g.fillAll(juce::Colour(canvas));
    g.setImageResamplingQuality(juce::Graphics::highResamplingQuality);
    g.drawImage(ToJuceImage(), (static_cast<int>(width) - w) / 2, (static_cast<int>(height) - h) / 2, w, h, 0, 0,
                static_cast<int>(m_width), static_cast<int>(m_height));
  }
  dest->FromJuceImage(out);
  dest->m_type = m_type;
  return true;
}

bool CxImage::Save(const wchar_t* path, DWORD format) {
  if (!IsValid()) return false;
  std::unique_ptr<juce::ImageFileFormat> codec;
  if (format == CXIMAGE_FORMAT_JPG) {
    auto jpeg = std::make_unique<juce::JPEGImageFormat>();
    jpeg->setQuality(m_jpegQuality / 100.0f);
    codec = std::move(jpeg);
  } else if (format == CXIMAGE_FORMAT_PNG) {
    codec = std::make_unique<juce::PNGImageFormat>();
  } else {
    return false;
  }
  const juce::File file = FileOf(path);
  juce::TemporaryFile temp(file);
  {
    juce::FileOutputStream out(temp.getFile());
    if (!out.openedOk() || !codec->writeImageToStream(ToJuceImage(), out)) return false;
    out.flush();
    if (out.getStatus().failed()) return false;
  }
  return temp.overwriteTargetFileWithTemporary();
}
