#include "win32/IconPixels.h"

#include "win32/IconImage.h"

namespace win32 {

namespace {

// The icon drawn size x size over `background` (transparent: none), its pixels handed to
// `put` in rows from the top.
template <typename Put>
bool Scaled(HICON icon, int size, const juce::Colour& background, std::vector<BYTE>* pixels, Put put) {
  juce::Image image = IconImage(icon);
  if (!image.isValid() || size <= 0) return false;
  juce::Image canvas(juce::Image::ARGB, size, size, true);
  {
    juce::Graphics g(canvas);
    g.fillAll(background);
    g.setImageResamplingQuality(juce::Graphics::highResamplingQuality);
    g.drawImage(image, 0, 0, size, size, 0, 0, image.getWidth(), image.getHeight());
  }
  pixels->resize(static_cast<size_t>(size) * size * 4);
  BYTE* out = pixels->data();
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x, out += 4) put(canvas.getPixelAt(x, y), out);
  return true;
}

}  // namespace

bool IconPixels(HICON icon, int size, COLORREF background, std::vector<BYTE>* pixels) {
  const juce::Colour face(GetRValue(background), GetGValue(background), GetBValue(background));
  return Scaled(icon, size, face, pixels, [](const juce::Colour& c, BYTE* out) {
    out[0] = c.getBlue(), out[1] = c.getGreen(), out[2] = c.getRed(), out[3] = 0;
  });
}

bool IconArgbPixels(HICON icon, int size, std::vector<BYTE>* pixels) {
  return Scaled(icon, size, juce::Colours::transparentBlack, pixels, [](const juce::Colour& c, BYTE* out) {
    out[0] = c.getAlpha(), out[1] = c.getRed(), out[2] = c.getGreen(), out[3] = c.getBlue();
  });
}

}  // namespace win32
