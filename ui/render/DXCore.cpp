#include "ui/render/DXCore.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <string>

#include "ui/render/TransformBase.h"
#include "win32/GdiBitmap.h"
#include "win32/GdiBlit.h"
#include "win32/GdiDraw.h"
#include "win32/GdiText.h"
#include "win32/HResult.h"
#include "win32/WinUser.h"

namespace UI {

ResourceCache DXCore::s_rscc;

namespace {

std::wstring& SystemFontName() {
  static std::wstring name = L"Simsun";
  return name;
}

// Nearest integer, ties to even.
int RoundEven(float v) { return static_cast<int>(std::nearbyint(v)); }

// The window copy's helper, opened once for the process when the screen has
// more than 256 colours.
HDRAWDIB ScreenDrawDib() {
  static const HDRAWDIB handle = [] {
    HDC screen = ::GetDC(nullptr);
    const int bits = ::GetDeviceCaps(screen, BITSPIXEL);
    ::ReleaseDC(nullptr, screen);
    return bits > 8 ? ::DrawDibOpen() : nullptr;
  }();
  return handle;
}

}  // namespace

// --- surfaces ---------------------------------------------------------------

bool DXCore::Surface::Make(int width, int height) {
  Free();
  info = BITMAPINFO{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  dc = ::CreateCompatibleDC(nullptr);
  bitmap = dc ? ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
  if (!bitmap) {
    Free();
    return false;
  }
  previous = ::SelectObject(dc, bitmap);
  return true;
}

void DXCore::Surface::Free() {
  if (dc && previous) ::SelectObject(dc, previous);
  if (bitmap) ::DeleteObject(bitmap);
  if (dc) ::DeleteDC(dc);
  dc = nullptr;
  bitmap = nullptr;
  previous = nullptr;
  bits = nullptr;
}

juce::Image DXCore::Surface::View() const {
  auto* found = win32::FindGdi<win32::GdiBitmap>(bitmap);
  return found ? found->Image() : juce::Image();
}

// --- life -------------------------------------------------------------------

DXCore::~DXCore() {
  if (m_virtual) EndVirtualPaint();
  EndPaintImage();
  m_external.reset();
  m_back.Free();
  if (m_screenDC) ::ReleaseDC(nullptr, m_screenDC);
}

long DXCore::Init() {
  if (!m_hWnd) return E_FAIL;
  RECT client{};
  ::GetClientRect(m_hWnd, &client);
  ResetD3DSize(client.right - client.left, client.bottom - client.top);
  if (!m_screenDC) m_screenDC = ::GetDC(nullptr);
  return m_screenDC ? S_OK : E_FAIL;
}

long DXCore::ResetD3DSize(int width, int height) {
  m_width = std::max(0, width);
  m_height = std::max(0, height);
  m_back.Free();
  if (m_width > 0 && m_height > 0) m_back.Make(m_width, m_height);
  return 0;
}

juce::Image DXCore::GetBackBuffer() const { return m_back.View(); }

void DXCore::CleanUp() {
  if (m_screenDC) ::ReleaseDC(nullptr, m_screenDC);
  m_screenDC = nullptr;
  m_world = juce::AffineTransform();
  m_back.Free();
}

// --- the paint cycle ----------------------------------------------------------

bool DXCore::StartPaint(int width, int height) {
  Paint paint;
  if (!paint.surface.Make(width, height)) return false;
  paint.image = paint.surface.View();
  paint.graphics = std::make_unique<juce::Graphics>(paint.image);
  paint.graphics->setImageResamplingQuality(juce::Graphics::highResamplingQuality);
  m_paint = std::move(paint);
  m_external.reset();
  m_graphics = m_paint.graphics.get();
  m_target = m_paint.image;
  m_paintDC = m_paint.surface.dc;
  m_paintBitmap = m_paint.surface.bitmap;
  return true;
}

void DXCore::EndPaintImage() {
  m_paint.graphics.reset();
  m_paint.image = juce::Image();
  m_paint.surface.Free();
  if (!m_external) m_graphics = nullptr;
  m_paintDC = nullptr;
  m_paintBitmap = nullptr;
  if (!m_external) m_target = juce::Image();
}

long DXCore::BeginPaint() {
  if (m_width == 0 || m_height == 0 || !m_back.bitmap) return E_FAIL;
  if (m_paintDC) return S_OK;
  EndPaintImage();
  return StartPaint(m_width, m_height) ? S_OK : E_FAIL;
}

long DXCore::EndPaint(HDC target, int x, int y, int cx, int cy) {
  if (m_virtual) EndVirtualPaint();
  if (m_paint.surface.dc && m_back.dc) {
    ::BitBlt(m_back.dc, x, y, cx, cy, m_paint.surface.dc, x, y, SRCCOPY);
  }
  EndPaintImage();
  m_world = juce::AffineTransform();
  if (target) ShowBackBuffer(target);
  return 0;
}

void DXCore::ShowBackBuffer(HDC target) {
  if (!m_back.bitmap) return;
  ::SetMapMode(target, MM_TEXT);
  if (HDRAWDIB drawDib = ScreenDrawDib()) {
    ::DrawDibDraw(drawDib, target, 0, 0, m_width, m_height, &m_back.info.bmiHeader, m_back.bits, 0, 0, m_width,
                  m_height, 0);
  } else {
    ::StretchDIBits(target, 0, 0, m_width, m_height, 0, 0, m_width, m_height, m_back.bits, &m_back.info,
                    DIB_RGB_COLORS, SRCCOPY);
  }
}

long DXCore::BeginVirtualPaint(CSize* size) {
  if (m_virtual) return 0;
  const int width = size ? size->cx : m_width;
  const int height = size ? size->cy : m_height;
  if (width <= 0 || height <= 0) return 0;
  Paint keep = std::move(m_paint);
  m_paint = Paint{};
  HDC keptDC = m_paintDC;
  if (!StartPaint(width, height)) {
    m_paint = std::move(keep);
    return 0;
  }
  m_saved = std::move(keep);
  m_savedDC = keptDC;
  m_virtual = true;
  return 0;
}

long DXCore::EndVirtualPaint() {
  if (!m_virtual) return 0;
  m_virtual = false;
  EndPaintImage();
  m_paint = std::move(m_saved);
  m_saved = Paint{};
  m_graphics = m_paint.graphics.get();
  m_target = m_paint.image;
  m_paintDC = m_savedDC;
  m_paintBitmap = m_paint.surface.bitmap;
  m_savedDC = nullptr;
  return 0;
}

void DXCore::SetTarget(const juce::Image& target) {
  EndPaintImage();
  m_external.reset();
  m_target = target;
  if (m_target.isValid()) m_external = std::make_unique<juce::Graphics>(m_target);
  m_graphics = m_external.get();
}

// --- drawing ------------------------------------------------------------------

juce::AffineTransform DXCore::Placement(const RectF& dest, const RectF& source) const {
  return juce::AffineTransform::scale(dest.Width() / source.Width(), dest.Height() / source.Height())
      .translated(dest.left, dest.top)
      .followedBy(m_world);
}

int DXCore::DrawImage(const CString& file, const RectF& dest, const RectF& source, DWORD colour, int frame) {
  RectF d = dest, s = source;
  return static_cast<int>(DrawImage(file, &d, &s, colour, frame));
}

long DXCore::DrawImage(const CString& file, RectF* dest, RectF* source, DWORD colour, long frame) {
  tagImageItem* item = s_rscc.GetImageItem(file);
  if (!item) return E_FAIL;
  tagImageItem* picked = s_rscc.GetFrameByIndex(item, frame);
  if (!picked || !picked->m_image.isValid()) return E_FAIL;
  return DrawImage(picked, dest, source, colour);
}

long DXCore::DrawImage(tagImageItem* item, RectF* dest, RectF* source, DWORD colour) {
  if (!m_graphics || !item || !dest) return E_FAIL;
  juce::Image image = item->m_image;
  if (!image.isValid()) return E_FAIL;
  const float w = static_cast<float>(image.getWidth()), h = static_cast<float>(image.getHeight());
  RectF whole(0, 0, w, h);
  if (!source || source->IsEmpty()) {
    source = &whole;
  } else {
    source->left = std::max(source->left, 0.0f);
    source->top = std::max(source->top, 0.0f);
    source->right = std::min(source->right, w);
    source->bottom = std::min(source->bottom, h);
  }
  // A source or destination of no area draws nothing (and divides by nothing).
  if (source->Width() <= 0 || source->Height() <= 0 || dest->IsEmpty()) return 0;
  const juce::Rectangle<int> clip(RoundEven(source->left), RoundEven(source->top), RoundEven(source->Width()),
                                  RoundEven(source->Height()));
  image = image.getClippedImage(clip);
  if (!image.isValid()) return 0;
  const bool mask = image.getFormat() == juce::Image::SingleChannel;
  juce::Graphics& g = *m_graphics;
  juce::Graphics::ScopedSaveState keep(g);
  g.setColour(juce::Colour(colour));
  g.setOpacity(static_cast<float>(colour >> 24) / 255.0f);
  g.drawImageTransformed(image, Placement(*dest, *source), mask);
  return 0;
}

int DXCore::FillRectangle(const CRect& rect, DWORD colour) {
  const RectF r(rect);
  return static_cast<int>(FillRectangle(&r, colour));
}

long DXCore::FillRectangle(const RectF* rect, DWORD colour) {
  if (!m_graphics) return 1;
  if (!rect || (colour >> 24) == 0) return 0;
  m_graphics->setColour(juce::Colour(colour));
  const juce::Rectangle<float> area(rect->left, rect->top, rect->Width(), rect->Height());
  if (m_world.mat01 == 0 && m_world.mat10 == 0) {
    // Axis-aligned: filled as a rectangle, since a path filled under a clip
    // loses a little coverage on the clip's right edge.
    m_graphics->fillRect(area.transformedBy(m_world));
    return 0;
  }
  juce::Path path;
  path.addRectangle(area);
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

long DXCore::DrawRectDottedOutline(RECT* rect) {
  if (m_paintDC && rect) ::DrawFocusRect(m_paintDC, rect);
  return 0;
}

long DXCore::DrawCircle(CPointF*, float, DWORD) { return 0; }

long DXCore::DrawTextW(const wchar_t* text, int, long y, long x, long width, long height, int fontHeight, int weight,
                       int italic, int underline, const wchar_t* face, DWORD format, DWORD colour) {
  if (!m_paintDC || !text) return 1;
  ::SetBkMode(m_paintDC, TRANSPARENT);
  if (face && std::wcscmp(face, L"SystemFontName") == 0) face = GetSystemFontName();
  HFONT font = ::CreateFontW(fontHeight, 0, 0, 0, weight, static_cast<DWORD>(italic), static_cast<DWORD>(underline), 0,
                             DEFAULT_CHARSET, OUT_CHARACTER_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH,
                             face);
  HGDIOBJ previous = ::SelectObject(m_paintDC, font);
  ::SetTextColor(m_paintDC, RGB((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF));
  RECT box{static_cast<LONG>(x), static_cast<LONG>(y), static_cast<LONG>(x + width), static_cast<LONG>(y + height)};
  if (format & (DT_VCENTER | DT_BOTTOM)) format |= DT_SINGLELINE;
  const int drawn = ::DrawTextW(m_paintDC, text, -1, &box, format);
  ::SelectObject(m_paintDC, previous);
  ::DeleteObject(font);
  return drawn != 0 ? 0 : 1;
}

void DXCore::SetSystemFontName(const wchar_t* name) { SystemFontName() = name ? name : L""; }

const wchar_t* DXCore::GetSystemFontName() { return SystemFontName().c_str(); }

long DXCore::CleanScreen(DWORD colour) {
  if (!m_graphics || !m_target.isValid()) return E_FAIL;
  m_target.clear(m_target.getBounds(), juce::Colour(colour));
  return 0;
}

// --- transform and clip --------------------------------------------------------

long DXCore::SetTransform(CTransformBase* transform) {
  m_world = transform ? transform->GetAffineTransform() : juce::AffineTransform();
  return 0;
}

int DXCore::SetWorldTransform(const juce::AffineTransform* transform) {
  if (!m_graphics) return 0;
  m_world = transform ? *transform : juce::AffineTransform();
  return 1;
}

void DXCore::SetClipRgn(const CRect* rect) {
  if (!m_graphics) return;
  const CRect area = rect ? *rect : CRect(0, 0, m_target.getWidth(), m_target.getHeight());
  m_graphics->reduceClipRegion(juce::Rectangle<int>(area.left, area.top, area.Width(), area.Height()));
  if (m_paintDC) {
    HRGN region = ::CreateRectRgn(area.left, area.top, area.right, area.bottom);
    ::ExtSelectClipRgn(m_paintDC, region, RGN_COPY);
    ::DeleteObject(region);
  }
}

DXCore::ClipState DXCore::SaveClip() {
  if (!m_graphics) return {};
  m_graphics->saveState();
  return {true, m_paintDC ? ::SaveDC(m_paintDC) : 0};
}

void DXCore::RestoreClip(const ClipState& state) {
  if (!state.saved || !m_graphics) return;
  m_graphics->restoreState();
  if (state.dcLevel > 0 && m_paintDC) ::RestoreDC(m_paintDC, state.dcLevel);
}

void DXCore::SetHDCClipRgn(HRGN region, int mode) {
  if (m_paintDC) ::ExtSelectClipRgn(m_paintDC, region, mode);
}

void DXCore::SetClipToImageAlpha(const CString& file, RectF* dest, RectF* source) {
  if (!m_graphics || !dest) return;
  tagImageItem* item = s_rscc.GetImageItem(file);
  tagImageItem* picked = item ? s_rscc.GetFrameByIndex(item, 0) : nullptr;
  if (!picked || !picked->m_image.isValid()) return;
  juce::Image image = picked->m_image;
  const RectF whole(0, 0, static_cast<float>(image.getWidth()), static_cast<float>(image.getHeight()));
  const RectF from = source && !source->IsEmpty() ? *source : whole;
  if (from.Width() <= 0 || from.Height() <= 0) return;
  image = image.getClippedImage(juce::Rectangle<int>(RoundEven(from.left), RoundEven(from.top),
                                                     RoundEven(from.Width()), RoundEven(from.Height())));
  if (!image.isValid()) {
    m_graphics->reduceClipRegion(juce::Rectangle<int>());  // nothing of it is opaque
    return;
  }
  m_graphics->reduceClipRegion(image, Placement(*dest, from));
}

void DXCore::SaveRendererStat() {
  if (m_graphics) m_graphics->saveState();
}

void DXCore::RestoreRendererStat() {
  if (m_graphics) m_graphics->restoreState();
}

// --- the image cache -----------------------------------------------------------

long DXCore::GetTextureInfo(const CString& file, _COREIMAGE_INFO* first, _COREIMAGE_INFO* second) {
  tagImageItem* item = s_rscc.GetImageItem(file);
  if (!item || !item->m_image.isValid()) return E_FAIL;
  for (_COREIMAGE_INFO* info : {first, second}) {
    if (!info) continue;
    info->width = item->m_image.getWidth();
    info->height = item->m_image.getHeight();
  }
  return 0;
}

void DXCore::ReleaseTexture(const CString& file) { s_rscc.ReleaseImage(file); }

ResourceCache* DXCore::GetResourceCache() {
  Lock();
  Unlock();
  return &s_rscc;
}

void DXCore::SetGlobalOpacity(float opacity) {
  if (opacity >= 0.0f && opacity <= 1.0f) m_opacity = opacity;
}

}  // namespace UI
