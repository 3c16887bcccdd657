#include "TestIcon.h"

#include <juce_graphics/juce_graphics.h>

#include <vector>

namespace wintest {

HICON SolidIcon(WORD id, uint32_t argb) {
  juce::Image image(juce::Image::ARGB, 32, 32, true);
  image.clear(image.getBounds(), juce::Colour(argb));
  juce::MemoryOutputStream png;
  juce::PNGImageFormat().writeImageToStream(image, png);
  // An .ico file of one PNG image: the header, one directory entry, the image.
  std::vector<uint8_t> ico = {0, 0, 1, 0, 1, 0, 32, 32, 0, 0, 1, 0, 32, 0};
  const uint32_t size = static_cast<uint32_t>(png.getDataSize()), offset = 22;
  for (uint32_t value : {size, offset})
    for (int shift = 0; shift < 32; shift += 8) ico.push_back(static_cast<uint8_t>(value >> shift));
  const auto* bytes = static_cast<const uint8_t*>(png.getData());
  ico.insert(ico.end(), bytes, bytes + size);
  win32::AddIconResource(GetModuleHandleW(nullptr), id, ico.data(), ico.size());
  return LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
}

}  // namespace wintest
