#include "display/Pixels.h"

#include <juce_graphics/juce_graphics.h>

#include <algorithm>

#include "display/Desktop.h"
#include "win32/WindowSurface.h"

namespace display {

namespace {

Pixels FromImage(const juce::Image& image) {
  if (image.isNull()) return {};
  std::vector<COLORREF> colours;
  colours.reserve(static_cast<size_t>(image.getWidth()) * image.getHeight());
  juce::Image::BitmapData data(image, juce::Image::BitmapData::readOnly);
  for (int y = 0; y < image.getHeight(); ++y)
    for (int x = 0; x < image.getWidth(); ++x) {
      juce::Colour c = data.getPixelColour(x, y);
      colours.push_back(RGB(c.getRed(), c.getGreen(), c.getBlue()));
    }
  return Pixels(image.getWidth(), image.getHeight(), std::move(colours));
}

}  // namespace

COLORREF Pixels::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= m_width || y >= m_height) return 0xFFFFFFFF;
  return m_colours[static_cast<size_t>(y) * m_width + x];
}

int Pixels::Count(const RECT& area, COLORREF colour) const {
  int count = 0;
  for (LONG y = std::max<LONG>(area.top, 0); y < std::min<LONG>(area.bottom, m_height); ++y)
    for (LONG x = std::max<LONG>(area.left, 0); x < std::min<LONG>(area.right, m_width); ++x)
      count += At(x, y) == colour ? 1 : 0;
  return count;
}

bool Pixels::WritePng(const std::string& path) const {
  if (Empty()) return false;
  juce::Image image(juce::Image::RGB, m_width, m_height, false);
  {
    juce::Image::BitmapData data(image, juce::Image::BitmapData::writeOnly);
    for (int y = 0; y < m_height; ++y)
      for (int x = 0; x < m_width; ++x) {
        COLORREF c = At(x, y);
        data.setPixelColour(x, y, juce::Colour(GetRValue(c), GetGValue(c), GetBValue(c)));
      }
  }
  juce::File file(juce::String::fromUTF8(path.c_str()));
  file.deleteFile();
  juce::FileOutputStream out(file);
  if (!out.openedOk()) return false;
  juce::PNGImageFormat png;
  return png.writeImageToStream(image, out) && (out.flush(), out.getStatus().wasOk());
}

Pixels Desktop::CaptureWindow(HWND hwnd) const { return FromImage(win32::CaptureClient(hwnd)); }

Pixels Desktop::CaptureScreen() const { return FromImage(win32::CaptureScreenImage()); }

void Desktop::WindowChanged(HWND hwnd) {
  std::shared_ptr<Presenter> presenter;
  {
    std::lock_guard guard(m_lock);
    presenter = m_presenter;
  }
  if (presenter) {
    HWND root = IsWindow(hwnd) ? GetAncestor(hwnd, GA_ROOT) : hwnd;
    presenter->UpdateWindow(root ? root : hwnd);
  }
  ReviewPointerGrab();  // a popup hidden or gone lets the pointer go
}

void Desktop::CursorChanged() {
  if (auto presenter = CurrentPresenter()) presenter->CursorChanged();
}

void Desktop::CaptureChanged(HWND hwnd) {
  if (auto presenter = CurrentPresenter()) presenter->CaptureChanged(hwnd);
}

void Desktop::TrayChanged() {
  if (auto presenter = CurrentPresenter()) presenter->TrayChanged();
}

void Desktop::WindowActivated(HWND hwnd) {
  if (auto presenter = CurrentPresenter()) presenter->Activated(hwnd);
}

}  // namespace display
