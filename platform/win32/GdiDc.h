#pragma once
// Device contexts: the screen's, memory DCs that draw into the bitmap selected into them, and
// window DCs that draw into a window's surface. A DC keeps what is selected and its drawing
// state (colours, background mode, clip, origins), which SaveDC/RestoreDC stack. Coordinates:
// logical ones are mapped to device ones by the window and viewport origins; device (0,0) of a
// window DC is the top left of its client area.
#include <juce_graphics/juce_graphics.h>

#include <memory>
#include <optional>
#include <vector>

#include "win32/GdiObject.h"

namespace win32 {

class GdiBitmap;

struct DcState {
  HBITMAP bitmap = nullptr;  // null: the 1x1 default of a new memory DC
  HFONT font = nullptr;      // null: the GUI font
  HGDIOBJ brush = nullptr;   // null: the white stock brush
  HGDIOBJ pen = nullptr;     // null: the black stock pen
  COLORREF text = 0x000000;
  COLORREF background = 0xFFFFFF;
  int backgroundMode = 2;  // OPAQUE
  int stretchMode = 1;     // BLACKONWHITE
  // The clip region in device coordinates; none: the whole drawing area.
  std::optional<juce::RectangleList<int>> clip;
  POINT viewportOrigin{0, 0};
  POINT windowOrigin{0, 0};
};

class GdiDc : public GdiObject {
 public:
  explicit GdiDc(bool memory) : m_memory(memory) {}
  // A DC on a window's surface: device (0,0) lies at `offset` of the surface and drawing stays
  // inside `bounds` (surface coordinates).
  GdiDc(HWND window, std::shared_ptr<GdiBitmap> surface, POINT offset, juce::RectangleList<int> bounds);
  DWORD Type() const override { return m_memory ? OBJ_MEMDC : OBJ_DC; }
  int Describe(int, void*) const override { return 0; }
  bool IsMemory() const { return m_memory; }
  HWND Window() const { return m_window; }
  HBITMAP SelectedBitmap() const { return m_state.bitmap; }
  HFONT SelectedFont() const { return m_state.font; }
  HBITMAP SelectBitmap(HBITMAP bitmap);
  HFONT SelectFont(HFONT font);

  DcState& State() { return m_state; }
  const DcState& State() const { return m_state; }
  // SaveDC: the new depth. RestoreDC: a positive level or a negative count back from the top;
  // false when there is no such saved state.
  int Save();
  bool Restore(int level);

  // The pixels drawing lands in (the selected bitmap or the window's surface); null for the
  // screen DC, whose pixels are not kept.
  GdiBitmap* Target() const;
  // Where device (0,0) lies in the target's pixels.
  POINT Offset() const { return m_offset; }
  // What drawing may touch, in device coordinates: the target (or the window's part of it)
  // under the clip region.
  juce::RectangleList<int> Visible() const;
  // The drawing area without the clip region, in device coordinates.
  juce::RectangleList<int> Area() const;
  POINT ToDevice(int x, int y) const;
  RECT ToDevice(const RECT& r) const;

 private:
  bool m_memory;
  HWND m_window = nullptr;
  std::shared_ptr<GdiBitmap> m_surface;
  POINT m_offset{0, 0};
  juce::RectangleList<int> m_bounds;  // surface coordinates
  DcState m_state;
  std::vector<DcState> m_saved;
};

}  // namespace win32
