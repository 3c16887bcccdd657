#pragma once
// The image library the framework decodes photos with: a small library of our
// own over libpng, libjpeg and giflib and a BMP reader, keeping the
// pixel layout its callers read directly:
//   - rows bottom-up, GetEffWidth bytes each (whole 32-bit words);
//   - 24 bits per pixel in blue, green, red order, or 8 bits through a
//     256-entry palette (a grey ramp for grey images, see IsGrayScale);
//   - an optional alpha plane, one byte per pixel, rows bottom-up, unpadded.
// ICO and TIFF files are not decoded. Every size read from a file is checked
// against the file; a truncated or lying file fails the load cleanly.
// Not thread-safe: one object is used by one thread at a time.
#include <cstdint>
#include <vector>

#include "mfc/Afx.h"

// Format codes; 0 lets Load detect the format from the file's first bytes.
enum ENUM_CXIMAGE_FORMATS {
  CXIMAGE_FORMAT_UNKNOWN = 0,
  CXIMAGE_FORMAT_BMP = 1,
  CXIMAGE_FORMAT_GIF = 2,
  CXIMAGE_FORMAT_JPG = 3,
  CXIMAGE_FORMAT_PNG = 4,
  CXIMAGE_FORMAT_ICO = 5,
  CXIMAGE_FORMAT_TIF = 6,
};

namespace juce {
class Image;
}

class CxImage {
 public:
  struct Palette {
    uint8_t blue, green, red, reserved;
  };

  explicit CxImage(DWORD format = CXIMAGE_FORMAT_UNKNOWN);
  CxImage(const wchar_t* path, DWORD format);
  CxImage(const CxImage&) = default;
  CxImage& operator=(const CxImage&) = default;
  virtual ~CxImage();

  // Decodes the file. A format other than 0 must be the file's own; 0 detects
  // it. After SetEscape(-1) the load reads only the header (size and format)
  // and holds no pixels. False (and nothing held) when it fails.
  bool Load(const wchar_t* path, DWORD format);
  void SetEscape(long escape) { m_escape = escape; }

  bool IsValid() const { return !m_bits.empty(); }
  DWORD GetWidth() const { return m_width; }
  DWORD GetHeight() const { return m_height; }
  DWORD GetType() const { return m_type; }
  WORD GetBpp() const { return m_bpp; }
  // 4 with an alpha plane; else 1 for palette images and 2 for colour ones.
  WORD GetColorType() const;
  // An 8-bit image whose palette is the grey ramp 0-255.
  bool IsGrayScale() const;
  DWORD GetEffWidth() const { return RowBytes(m_width, m_bpp); }
  // The row (counted from the bottom); null outside the image.
  uint8_t* GetBits(DWORD row = 0);
  uint8_t* AlphaGetPointer(long x = 0, long y = 0);
  bool AlphaIsValid() const { return !m_alpha.empty(); }
  const std::vector<Palette>& GetPalette() const { return m_palette; }

  // Raises an 8-bit image to 24 bits in place; true when it is 24 bits after.
  bool IncreaseBpp(DWORD bpp);
  bool Resample(long width, long height, int mode = 0, CxImage* dest = nullptr);
  // Top-down coordinates; the right and bottom edges are exclusive.
  bool Crop(long left, long top, long right, long bottom, CxImage* dest = nullptr);
  bool RotateLeft(CxImage* dest = nullptr);
  bool RotateRight(CxImage* dest = nullptr);
  bool Rotate180(CxImage* dest = nullptr);
  // Left to right.
  bool Mirror(bool mirrorSelection = false, bool mirrorAlpha = true);
  // dest := width × height: this image scaled to fit, centred on the canvas colour (0xAARRGGBB).
  bool Thumbnail(long width, long height, DWORD canvas, CxImage* dest);
  void SetJpegQuality(BYTE quality) { m_jpegQuality = quality; }
  // Writes JPEG (3) or PNG (4), replacing the file.
  bool Save(const wchar_t* path, DWORD format);

  void Destroy();
  void DestroyFrames() {}

  // Top-down ARGB, alpha from the plane (opaque without one).
  juce::Image ToJuceImage() const;
  // Replaces the pixels: 24 bits, plus an alpha plane when the image is not opaque.
  void FromJuceImage(const juce::Image& image);
  // A fresh 8-bit or 24-bit image, all zero; the 8-bit one with a grey palette.
  void Create(DWORD width, DWORD height, WORD bpp);

  static DWORD RowBytes(DWORD width, WORD bpp) { return ((width * bpp + 31) / 32) * 4; }

 private:
  friend class CxImageCodec;

  DWORD m_width = 0;
  DWORD m_height = 0;
  WORD m_bpp = 0;
  DWORD m_type = 0;
  long m_escape = 0;
  BYTE m_jpegQuality = 90;
  std::vector<uint8_t> m_bits;
  std::vector<Palette> m_palette;
  std::vector<uint8_t> m_alpha;
};
