#pragma once
// The drawing surface of one window. It keeps a back buffer the size of the
// client area holding the last complete frame; each paint draws into a fresh
// image through JUCE's software renderer, and EndPaint copies the painted
// rectangle into the back buffer. Drawing outside a paint draws nothing.
// s_rscc is the process's one image cache; a form holds its lock across each
// paint. Used on the UI thread.
#include <juce_graphics/juce_graphics.h>

#include <memory>

#include "mfc/Afx.h"
#include "ui/image/ResourceCache.h"
#include "ui/render/RectF.h"

namespace UI {

class CTransformBase;

class DXCore {
 public:
  static ResourceCache s_rscc;

  DXCore() = default;
  DXCore(const DXCore&) = delete;
  DXCore& operator=(const DXCore&) = delete;
  virtual ~DXCore();

  void SetWindow(HWND window) { m_hWnd = window; }
  HWND GetHWnd() const { return m_hWnd; }
  // E_FAIL without a window; else a back buffer at the client size, S_OK.
  long Init();
  // A new back buffer of that size (the old one freed); 0.
  long ResetD3DSize(int width, int height);
  int GetWidth() const { return m_width; }
  int GetHeight() const { return m_height; }
  // The last complete frame.
  juce::Image GetBackBuffer() const { return m_backBuffer; }

  // E_FAIL without a size or back buffer; S_OK, changing nothing, while a
  // paint is already in progress; else a fresh paint image.
  long BeginPaint();
  // Copies (x, y, cx, cy) of the paint image into the back buffer and shows
  // the back buffer on `target` when that is not null; 0.
  long EndPaint(HDC target, int x, int y, int cx, int cy);
  int IsValid() const { return m_graphics != nullptr; }

  // Drawing straight into an image of the caller's, outside the paint cycle.
  void SetTarget(const juce::Image& target);
  juce::Image GetTarget() const { return m_target; }

  // The source rectangle of the file's image (all of it when source is zero)
  // stretched into dest, with the colour's alpha as opacity. 0 when drawn, 1
  // outside a paint, E_FAIL when the image can't be had.
  int DrawImage(const CString& file, const RectF& dest, const RectF& source, DWORD colour, int frame);
  // 0 when filled, 1 outside a paint; an alpha of 0 fills nothing.
  int FillRectangle(const CRect& rect, DWORD colour);
  // A frame of four strips that meet without overlapping; E_FAIL outside a
  // paint or for an empty rectangle. A frame thicker than half the shorter
  // side is drawn that thick.
  long DrawRectOutline(const RectF* rect, int thickness, DWORD colour);
  // The face used for the face name "SystemFontName" (a copy is kept).
  static void SetSystemFontName(const wchar_t* name);
  static const wchar_t* GetSystemFontName();
  // Every pixel of the paint image set to the colour; E_FAIL outside a paint.
  long CleanScreen(DWORD colour);

  // The world transform: the transform's drawing form, identity for null.
  long SetTransform(CTransformBase* transform);
  void ResetWorldTransform() { m_world = juce::AffineTransform(); }
  juce::AffineTransform GetWorldTransform() const { return m_world; }

  // The clip only shrinks: a rectangle (null: the whole surface) cuts the
  // current clip. SaveClip and RestoreClip bracket a control's clipping.
  struct ClipState {
    bool saved = false;
  };
  void SetClipRgn(const CRect* rect);
  void SetClipRgn(const CRect& rect) { SetClipRgn(&rect); }
  ClipState SaveClip();
  void RestoreClip(const ClipState& state);
  void SaveRendererStat();
  void RestoreRendererStat();

  void Lock() { EnterCriticalSection(s_rscc.GetImageLock()); }
  void Unlock() { LeaveCriticalSection(s_rscc.GetImageLock()); }

 private:
  // The last complete frame onto the window's DC.
  void ShowBackBuffer(HDC target);

  HWND m_hWnd = nullptr;
  int m_width = 0;
  int m_height = 0;
  juce::Image m_backBuffer;
  juce::Image m_target;
  std::unique_ptr<juce::Graphics> m_graphics;
  juce::AffineTransform m_world;
};

}  // namespace UI
