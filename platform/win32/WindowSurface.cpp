#include "win32/WindowSurface.h"

#include <map>
#include <mutex>

#include "win32/Caret.h"
#include "win32/Gdi.h"
#include "win32/GdiDc.h"
#include "win32/GdiDraw.h"
#include "win32/GdiRegion.h"
#include "win32/Metrics.h"
#include "win32/WinError.h"
#include "win32/WindowTable.h"

namespace win32 {

namespace {

// The surfaces' lock is taken after the window lock, never before: nothing here asks the
// window layer anything while holding it.
struct Surfaces {
  std::mutex lock;
  std::map<HWND, std::shared_ptr<GdiBitmap>> pixels;             // top-level windows
  std::map<HWND, juce::RectangleList<int>> regions;             // window coordinates
};

Surfaces& TheSurfaces() {
  static Surfaces* surfaces = new Surfaces;  // windows may go during exit
  return *surfaces;
}

juce::Rectangle<int> Box(const RECT& r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }

std::shared_ptr<GdiBitmap> NewSurface(int width, int height) {
  BITMAPINFOHEADER header{sizeof(BITMAPINFOHEADER), std::max(width, 1), -std::max(height, 1), 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::shared_ptr<GdiBitmap> surface = GdiBitmap::Create(header, nullptr, false);
  if (surface) {  // what a window shows before it paints: its frame's face colour
    juce::Image image = surface->Image();
    juce::Graphics g(image);
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    g.fillAll(juce::Colour(GetRValue(face), GetGValue(face), GetBValue(face)));
  }
  return surface;
}

// The surface of a top-level window of the given size: made on first use, and remade at a
// new size keeping what fits of the old pixels.
std::shared_ptr<GdiBitmap> SurfaceOf(HWND root, int width, int height) {
  Surfaces& s = TheSurfaces();
  std::lock_guard guard(s.lock);
  std::shared_ptr<GdiBitmap>& surface = s.pixels[root];
  int w = std::max(width, 1), h = std::max(height, 1);
  if (surface && surface->Width() == w && surface->Height() == h) return surface;
  std::shared_ptr<GdiBitmap> fresh = NewSurface(w, h);
  if (surface && fresh) {
    juce::Image to = fresh->Image();
    juce::Graphics g(to);
    g.drawImageAt(surface->Image(), 0, 0);
  }
  surface = fresh;
  return surface;
}

std::shared_ptr<GdiBitmap> ExistingSurface(HWND root) {
  Surfaces& s = TheSurfaces();
  std::lock_guard guard(s.lock);
  auto found = s.pixels.find(root);
  return found == s.pixels.end() ? nullptr : found->second;
}

struct Placement {
  HWND root = nullptr;
  RECT rootRect{};                 // screen
  juce::Rectangle<int> area;       // the window's client (or whole) rectangle, screen
  juce::RectangleList<int> visible;  // the same within its ancestors' client areas, less what
                                     // WS_CLIPCHILDREN and WS_CLIPSIBLINGS keep out, screen
};

juce::Rectangle<int> ScreenRectOf(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return Box(r);
}

// Keeps the visible children (WS_CLIPCHILDREN) or the siblings above (WS_CLIPSIBLINGS) out.
void ExcludeOverlapping(HWND hwnd, bool nonClient, juce::RectangleList<int>& visible) {
  DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
  if ((style & WS_CLIPCHILDREN) && !nonClient)
    for (HWND c = GetWindow(hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
      if (IsWindowVisible(c)) visible.subtract(ScreenRectOf(c));
  if ((style & WS_CHILD) && (style & WS_CLIPSIBLINGS))
    for (HWND s = GetWindow(hwnd, GW_HWNDPREV); s; s = GetWindow(s, GW_HWNDPREV))
      if (IsWindowVisible(s)) visible.subtract(ScreenRectOf(s));
}

bool PlacementOf(HWND hwnd, bool nonClient, Placement* out) {
  if (!IsWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  out->root = GetAncestor(hwnd, GA_ROOT);
  if (!out->root) out->root = hwnd;
  GetWindowRect(out->root, &out->rootRect);
  if (nonClient) {
    RECT r;
    GetWindowRect(hwnd, &r);
    out->area = Box(r);
  } else {
    RECT client;
    GetClientRect(hwnd, &client);
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    out->area = {origin.x, origin.y, client.right, client.bottom};
  }
  out->visible = juce::RectangleList<int>(out->area.getIntersection(Box(out->rootRect)));
  ExcludeOverlapping(hwnd, nonClient, out->visible);
  for (HWND a = hwnd; a != out->root;) {
    a = GetAncestor(a, GA_PARENT);
    if (!a) break;
    RECT client;
    GetClientRect(a, &client);
    POINT origin{0, 0};
    ClientToScreen(a, &origin);
    out->visible.clipTo(juce::Rectangle<int>(origin.x, origin.y, client.right, client.bottom));
  }
  return true;
}

juce::Image CopyRgb(GdiBitmap& surface, juce::Rectangle<int> part) {
  part = part.getIntersection({0, 0, surface.Width(), surface.Height()});
  if (part.isEmpty()) return {};
  juce::Image out(juce::Image::RGB, part.getWidth(), part.getHeight(), false);
  juce::Image::BitmapData data(out, juce::Image::BitmapData::writeOnly);
  for (int y = 0; y < part.getHeight(); ++y)
    for (int x = 0; x < part.getWidth(); ++x) {
      RGBQUAD p = surface.Pixel(part.getX() + x, part.getY() + y);
      data.setPixelColour(x, y, juce::Colour(p.rgbRed, p.rgbGreen, p.rgbBlue));
    }
  return out;
}

// Calls `invert(x, y)` for each pixel of the lit carets of `root` on a picture whose top left
// corner is at `origin` on the screen: pictures show the caret, surfaces never hold it.
template <typename Invert>
void DrawCarets(HWND root, POINT origin, int width, int height, Invert invert) {
  for (const LitCaret& caret : LitCarets()) {
    if (caret.root != root) continue;
    RECT r = caret.screen;
    OffsetRect(&r, -origin.x, -origin.y);
    for (int y = std::max(0, static_cast<int>(r.top)); y < std::min(height, static_cast<int>(r.bottom)); ++y)
      for (int x = std::max(0, static_cast<int>(r.left)); x < std::min(width, static_cast<int>(r.right)); ++x) invert(x, y);
  }
}

void InvertCarets(juce::Image::BitmapData& data, HWND root, POINT origin) {
  DrawCarets(root, origin, data.width, data.height, [&](int x, int y) {
    juce::Colour c = data.getPixelColour(x, y);
    data.setPixelColour(x, y, juce::Colour(static_cast<juce::uint8>(255 - c.getRed()), static_cast<juce::uint8>(255 - c.getGreen()),
                                           static_cast<juce::uint8>(255 - c.getBlue())));
  });
}

}  // namespace

HDC WindowDc(HWND hwnd, bool nonClient) {
  Placement at;
  if (!PlacementOf(hwnd, nonClient, &at)) return nullptr;
  auto surface = SurfaceOf(at.root, at.rootRect.right - at.rootRect.left, at.rootRect.bottom - at.rootRect.top);
  if (!surface) return nullptr;
  POINT offset{at.area.getX() - at.rootRect.left, at.area.getY() - at.rootRect.top};
  juce::RectangleList<int> bounds = at.visible;
  bounds.offsetAll(-at.rootRect.left, -at.rootRect.top);
  bounds.clipTo(juce::Rectangle<int>(0, 0, surface->Width(), surface->Height()));
  return static_cast<HDC>(AddGdiObject(std::make_unique<GdiDc>(hwnd, surface, offset, bounds)));
}

juce::Image CaptureClient(HWND hwnd) {
  Placement at;
  if (!PlacementOf(hwnd, false, &at)) return {};
  auto surface = ExistingSurface(at.root);
  if (!surface) return {};
  juce::Image image = CopyRgb(*surface, at.area.translated(-at.rootRect.left, -at.rootRect.top));
  if (image.isValid()) {
    juce::Image::BitmapData data(image, juce::Image::BitmapData::readWrite);
    InvertCarets(data, at.root, POINT{at.area.getX(), at.area.getY()});
  }
  return image;
}

juce::Image CaptureScreenImage() {
  int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  juce::Image screen(juce::Image::RGB, std::max(width, 1), std::max(height, 1), false);
  COLORREF desk = GetSysColor(COLOR_BACKGROUND);
  juce::Graphics g(screen);
  g.fillAll(juce::Colour(GetRValue(desk), GetGValue(desk), GetBValue(desk)));
  std::vector<HWND> tops = TopLevelWindows();
  juce::Image::BitmapData data(screen, juce::Image::BitmapData::readWrite);
  for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
    HWND top = *it;
    RECT r;
    if (!IsWindowVisible(top) || !GetWindowRect(top, &r)) continue;
    auto surface = ExistingSurface(top);
    if (!surface) surface = SurfaceOf(top, r.right - r.left, r.bottom - r.top);
    if (!surface) continue;
    std::optional<juce::RectangleList<int>> region;
    {
      Surfaces& s = TheSurfaces();
      std::lock_guard guard(s.lock);
      auto found = s.regions.find(top);
      if (found != s.regions.end()) region = found->second;
    }
    juce::RectangleList<int> shown(juce::Rectangle<int>(0, 0, surface->Width(), surface->Height()));
    if (region) shown.clipTo(*region);
    shown.clipTo(juce::Rectangle<int>(-r.left, -r.top, width, height));
    for (const auto& part : shown)
      for (int y = part.getY(); y < part.getBottom(); ++y)
        for (int x = part.getX(); x < part.getRight(); ++x) {
          RGBQUAD p = surface->Pixel(x, y);
          data.setPixelColour(r.left + x, r.top + y, juce::Colour(p.rgbRed, p.rgbGreen, p.rgbBlue));
        }
    InvertCarets(data, top, POINT{0, 0});  // under the windows above, as on a screen
  }
  return screen;
}

bool PictureOf(HWND topLevel, WindowPicture* picture) {
  if (!IsWindow(topLevel) || !GetWindowRect(topLevel, &picture->rect)) return false;
  picture->visible = IsWindowVisible(topLevel) != FALSE;
  auto surface = SurfaceOf(topLevel, picture->rect.right - picture->rect.left, picture->rect.bottom - picture->rect.top);
  if (!surface) return false;
  picture->width = surface->Width();
  picture->height = surface->Height();
  picture->pixels.resize(static_cast<size_t>(picture->width) * picture->height * 4);
  BYTE* out = picture->pixels.data();
  for (int y = 0; y < picture->height; ++y)
    for (int x = 0; x < picture->width; ++x, out += 4) {
      RGBQUAD p = surface->Pixel(x, y);
      out[0] = p.rgbBlue, out[1] = p.rgbGreen, out[2] = p.rgbRed, out[3] = 0;
    }
  DrawCarets(topLevel, POINT{picture->rect.left, picture->rect.top}, picture->width, picture->height, [&](int x, int y) {
    BYTE* p = &picture->pixels[(static_cast<size_t>(y) * picture->width + x) * 4];
    p[0] = static_cast<BYTE>(255 - p[0]), p[1] = static_cast<BYTE>(255 - p[1]), p[2] = static_cast<BYTE>(255 - p[2]);
  });
  Surfaces& s = TheSurfaces();
  std::lock_guard guard(s.lock);
  auto found = s.regions.find(topLevel);
  picture->region.reset();
  if (found != s.regions.end()) {
    picture->region.emplace();
    for (const auto& r : found->second) picture->region->push_back(RECT{r.getX(), r.getY(), r.getRight(), r.getBottom()});
  }
  return true;
}

bool InWindowRegion(HWND hwnd, POINT screen) {
  RECT r;
  if (!GetWindowRect(hwnd, &r)) return false;
  Surfaces& s = TheSurfaces();
  std::lock_guard guard(s.lock);
  auto found = s.regions.find(hwnd);
  return found == s.regions.end() || found->second.containsPoint(juce::Point<int>(screen.x - r.left, screen.y - r.top));
}

void DropWindowSurface(HWND hwnd) {
  Surfaces& s = TheSurfaces();
  std::lock_guard guard(s.lock);
  s.pixels.erase(hwnd);
  s.regions.erase(hwnd);
}

}  // namespace win32

HDC GetDC(HWND window) {
  if (window) return win32::WindowDc(window, false);
  return static_cast<HDC>(win32::AddGdiObject(std::make_unique<win32::GdiDc>(false)));
}

HDC GetWindowDC(HWND window) {
  if (window) return win32::WindowDc(window, true);
  return GetDC(nullptr);
}

int SetWindowRgn(HWND hwnd, HRGN region, BOOL redraw) {
  if (!IsWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  std::optional<juce::RectangleList<int>> area;
  if (region) {
    auto* found = win32::FindGdi<win32::GdiRegion>(region);
    if (!found) return 0;
    area = found->Area();
    DeleteObject(region);  // the window owns the region from now on
  }
  {
    win32::Surfaces& s = win32::TheSurfaces();
    std::lock_guard guard(s.lock);
    if (area)
      s.regions[hwnd] = *area;
    else
      s.regions.erase(hwnd);
  }
  if (redraw) InvalidateRect(hwnd, nullptr, TRUE);
  return 1;
}

int GetWindowRgn(HWND hwnd, HRGN region) {
  auto* target = win32::FindGdi<win32::GdiRegion>(region);
  if (!target) return ERROR;
  win32::Surfaces& s = win32::TheSurfaces();
  std::lock_guard guard(s.lock);
  auto found = s.regions.find(hwnd);
  if (found == s.regions.end()) return ERROR;
  target->Area() = found->second;
  return target->Complexity();
}
