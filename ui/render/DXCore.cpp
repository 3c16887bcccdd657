#include "ui/render/DXCore.h"

#include <algorithm>
#include <string>
#include <vector>

#include "ui/render/TransformBase.h"
#include "win32/Gdi.h"
#include "win32/GdiBlit.h"
#include "win32/HResult.h"
#include "win32/WinUser.h"

namespace UI {

ResourceCache DXCore::s_rscc;

DXCore::~DXCore() { m_graphics.reset(); }

long DXCore::Init() {
  if (!m_hWnd) return E_FAIL;
  RECT client{};
  ::GetClientRect(m_hWnd, &client);
  ResetD3DSize(client.right - client.left, client.bottom - client.top);
  return S_OK;
}

long DXCore::ResetD3DSize(int width, int height) {
  m_width = std::max(0, width);
  m_height = std::max(0, height);
  m_backBuffer = m_width > 0 && m_height > 0 ? juce::Image(juce::Image::RGB, m_width, m_height, true) : juce::Image();
  return 0;
}

long DXCore::BeginPaint() {
  if (m_width == 0 || m_height == 0 || !m_backBuffer.isValid()) return E_FAIL;
  if (m_graphics) return S_OK;
  m_target = juce::Image(juce::Image::ARGB, m_width, m_height, true);
  m_graphics = std::make_unique<juce::Graphics>(m_target);
  m_graphics->setImageResamplingQuality(juce::Graphics::highResamplingQuality);
  return S_OK;
}

long DXCore::EndPaint(HDC target, int x, int y, int cx, int cy) {
  m_graphics.reset();
  if (m_target.isValid() && m_backBuffer.isValid()) {
    const juce::Rectangle<int> area = juce::Rectangle<int>(x, y, cx, cy).getIntersection(m_backBuffer.getBounds());
    if (!area.isEmpty()) {
      juce::Graphics g(m_backBuffer);
      g.reduceClipRegion(area);
      g.fillAll(juce::Colours::black);
      g.drawImageAt(m_target, 0, 0);
    }
  }
  m_target = juce::Image();
  m_world = juce::AffineTransform();
  if (target) ShowBackBuffer(target);
  return 0;
}

void DXCore::ShowBackBuffer(HDC target) {
  if (!m_backBuffer.isValid()) return;
  // The whole back buffer, as a top-down 32-bit bitmap.
  std::vector<DWORD> bits(static_cast<size_t>(m_width) * static_cast<size_t>(m_height));
  const juce::Image::BitmapData data(m_backBuffer, juce::Image::BitmapData::readOnly);
  for (int y = 0; y < m_height; ++y) {
    for (int x = 0; x < m_width; ++x) {
      bits[static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x)] =
          data.getPixelColour(x, y).getARGB() & 0x00FFFFFF;
    }
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = m_width;
  info.bmiHeader.biHeight = -m_height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  ::StretchDIBits(target, 0, 0, m_width, m_height, 0, 0, m_width, m_height, bits.data(), &info, DIB_RGB_COLORS,
                  SRCCOPY);
}

void DXCore::SetTarget(const juce::Image& target) {
  m_graphics.reset();
  m_target = target;
  if (m_target.isValid()) m_graphics = std::make_unique<juce::Graphics>(m_target);
}

int DXCore::DrawImage(const CString& file, const RectF& dest, const RectF& source, DWORD colour, int frame) {
  if (!m_graphics) return 1;
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
  if (dest.IsEmpty()) return 0;
  const bool mask = image.getFormat() == juce::Image::SingleChannel;
  juce::Graphics& g = *m_graphics;
  g.saveState();
  g.setOpacity(static_cast<float>(colour >> 24) / 255.0f);
  if (mask) g.setColour(juce::Colour(colour));
  const auto placement = juce::AffineTransform::scale(dest.Width() / static_cast<float>(image.getWidth()),
                                                      dest.Height() / static_cast<float>(image.getHeight()))
                             .translated(dest.left, dest.top)
                             .followedBy(m_world);
  g.drawImageTransformed(image, placement, mask);
  g.restoreState();
  return 0;
}

int DXCore::FillRectangle(const CRect& rect, DWORD colour) {
  if (!m_graphics) return 1;
  if ((colour >> 24) == 0) return 0;
  juce::Path path;
  path.addRectangle(static_cast<float>(rect.left), static_cast<float>(rect.top), static_cast<float>(rect.Width()),
                    static_cast<float>(rect.Height()));
  m_graphics->setColour(juce::Colour(colour));
  m_graphics->fillPath(path, m_world);
  return 0;
}

long DXCore::DrawRectOutline(const RectF* rect, int thickness, DWORD colour) {
  if (!m_graphics || !rect || rect->IsEmpty()) return E_FAIL;
  const CRect r(static_cast<int>(rect->left), static_cast<int>(rect->top), static_cast<int>(rect->right),
                static_cast<int>(rect->bottom));
  // Compared against both sides: a frame thicker than half the height would
  // draw its top and bottom strips over each other.
  const int shorter = std::min(r.Width(), r.Height());
  const int t = shorter < 2 * thickness ? shorter / 2 : thickness;
  const CRect strips[4] = {{r.left, r.top, r.right - t, r.top + t},
                           {r.right - t, r.top, r.right, r.bottom - t},
                           {r.left + t, r.bottom - t, r.right, r.bottom},
                           {r.left, r.top + t, r.left + t, r.bottom}};
  for (const CRect& strip : strips) {
    const int result = FillRectangle(strip, colour);
    if (result < 0) return result;
  }
  return 0;
}

namespace {
std::wstring& SystemFontName() {
  static std::wstring name = L"Simsun";
  return name;
}
}  // namespace

void DXCore::SetSystemFontName(const wchar_t* name) { SystemFontName() = name ? name : L""; }

const wchar_t* DXCore::GetSystemFontName() { return SystemFontName().c_str(); }

long DXCore::CleanScreen(DWORD colour) {
  if (!m_graphics || !m_target.isValid()) return E_FAIL;
  m_target.clear(m_target.getBounds(), juce::Colour(colour));
  return 0;
}

long DXCore::SetTransform(CTransformBase* transform) {
  m_world = transform ? transform->GetAffineTransform() : juce::AffineTransform();
  return 0;
}

void DXCore::SetClipRgn(const CRect* rect) {
  if (!m_graphics) return;
  const juce::Rectangle<int> area =
      rect ? juce::Rectangle<int>(rect->left, rect->top, rect->Width(), rect->Height())
           : juce::Rectangle<int>(0, 0, m_target.getWidth(), m_target.getHeight());
  m_graphics->reduceClipRegion(area);
}

DXCore::ClipState DXCore::SaveClip() {
  if (!m_graphics) return {};
  m_graphics->saveState();
  return {true};
}

void DXCore::RestoreClip(const ClipState& state) {
  if (state.saved && m_graphics) m_graphics->restoreState();
}

void DXCore::SaveRendererStat() {
  if (m_graphics) m_graphics->saveState();
}

void DXCore::RestoreRendererStat() {
  if (m_graphics) m_graphics->restoreState();
}

}  // namespace UI
