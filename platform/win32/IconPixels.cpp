#include "win32/IconPixels.h"

#include "win32/IconImage.h"

namespace win32 {

bool IconPixels(HICON icon, int size, COLORREF background, std::vector<BYTE>* pixels) {
  juce::Image image = IconImage(icon);
  if (!image.isValid() || size <= 0) return false;
  juce::Image canvas(juce::Image::RGB, size, size, false);
  {
    juce::Graphics g(canvas);
    g.fillAll(juce::Colour(GetRValue(background), GetGValue(background), GetBValue(background)));
    g.setImageResamplingQuality(juce::Graphics::highResamplingQuality);
    g.drawImage(image, 0, 0, size, size, 0, 0, image.getWidth(), image.getHeight());
  }
  pixels->resize(static_cast<size_t>(size) * size * 4);
  BYTE* out = pixels->data();
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x, out += 4) {
      juce::Colour c = canvas.getPixelAt(x, y);
      out[0] = c.getBlue(), out[1] = c.getGreen(), out[2] = c.getRed(), out[3] = 0;
    }
  return true;
}

}  // namespace win32
