#include "ui/render/DXCore.h"

#include "win32/HResult.h"

namespace UI {

ResourceCache DXCore::s_rscc;

int DXCore::DrawImage(const CString& file, const RectF& dest, const RectF& source, DWORD colour, int frame) {
  if (!m_target.isValid()) return 1;
  if (frame != 0) return E_FAIL;  // the cache keeps single frames
  juce::Image image = s_rscc.GetImage(file);
  if (!image.isValid()) return E_FAIL;
  if (!source.IsZero()) {
    const juce::Rectangle<int> area = juce::Rectangle<float>(source.left, source.top, source.Width(), source.Height())
                                          .getSmallestIntegerContainer()
                                          .getIntersection(image.getBounds());
    if (area.isEmpty()) return 0;
    image = image.getClippedImage(area);
  }
  juce::Graphics g(m_target);
  g.setOpacity(static_cast<float>(colour >> 24) / 255.0f);
  if (image.getFormat() == juce::Image::SingleChannel) g.setColour(juce::Colour(colour));
  g.drawImage(image, {dest.left, dest.top, dest.Width(), dest.Height()}, juce::RectanglePlacement::stretchToFit,
              image.getFormat() == juce::Image::SingleChannel);
  return 0;
}

int DXCore::FillRectangle(const CRect& rect, DWORD colour) {
  if (!m_target.isValid()) return 1;
  if ((colour >> 24) == 0) return 0;
  juce::Graphics g(m_target);
  g.setColour(juce::Colour(colour));
  g.fillRect(juce::Rectangle<int>(rect.left, rect.top, rect.Width(), rect.Height()));
  return 0;
}

}  // namespace UI
