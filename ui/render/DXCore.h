#pragma once
// The drawing surface of one window. It keeps a back buffer the size of the
// client area holding the last complete frame; each paint draws into a fresh
// 24-bit bitmap that both JUCE's software renderer and GDI text write into (the
// bitmap is selected into the paint DC), and EndPaint copies the painted
// rectangle into the back buffer and shows the whole back buffer. Drawing
// outside a paint draws nothing. s_rscc is the process's one image cache; a
// form holds its lock across each paint. Used on the UI thread.
#include <juce_graphics/juce_graphics.h>

#include <memory>

#include "mfc/Afx.h"
#include "ui/image/ImageItem.h"
#include "ui/image/ResourceCache.h"
#include "ui/render/RectF.h"
#include "win32/Gdi.h"

namespace UI {

class CTransformBase;

// The size of a cached image (GetTextureInfo).
struct _COREIMAGE_INFO {
  int width = 0;
  int height = 0;
};

class DXCore {
 public:
  static ResourceCache s_rscc;

  DXCore() = default;
  DXCore(const DXCore&) = delete;
  DXCore& operator=(const DXCore&) = delete;
  virtual ~DXCore();

  void SetWindow(HWND window) { m_hWnd = window; }
  HWND GetHWnd() const { return m_hWnd; }
  // E_FAIL without a window; else a back buffer at the client size, and the
  // screen DC taken: S_OK when it was had, else E_FAIL.
  long Init();
  // A new back buffer of that size (the old one freed); 0.
  long ResetD3DSize(int width, int height);
  int GetWidth() const { return m_width; }
  int GetHeight() const { return m_height; }
  // The last complete frame (a view of the back buffer's pixels).
  juce::Image GetBackBuffer() const;
  // Releases the screen DC, the world transform and the back buffer.
  void CleanUp();

  // E_FAIL without a size or back buffer; S_OK, changing nothing, while a
  // paint is already in progress; else a fresh paint image.
  long BeginPaint();
  // Copies (x, y, cx, cy) of the paint image into the back buffer and shows
  // the back buffer on `target` when that is not null; 0.
  long EndPaint(HDC target, int x, int y, int cx, int cy);
  // Drawing into an image of `size` (the context's size when null) with the
  // paint in progress set aside until EndVirtualPaint; does not nest. Both 0.
  long BeginVirtualPaint(CSize* size);
  long EndVirtualPaint();
  // The bitmap of the current paint image, or null.
  HBITMAP GetRenderBitmap() const { return m_paintBitmap; }
  int IsValid() const { return m_graphics != nullptr; }

  // Drawing straight into an image of the caller's, outside the paint cycle
  // (no DC: text draws nothing there).
  void SetTarget(const juce::Image& target);
  // The image drawing lands in: the paint image during a paint.
  juce::Image GetTarget() const { return m_target; }

  // The source rectangle of the file's image (all of it when source is zero)
  // stretched into dest, with the colour's alpha as opacity. 0 when drawn,
  // E_FAIL outside a paint or when the image can't be had.
  int DrawImage(const CString& file, const RectF& dest, const RectF& source, DWORD colour, int frame);
  long DrawImage(const CString& file, RectF* dest, RectF* source, DWORD colour, long frame);
  // A cached item's image; a null or empty source is the whole image, any
  // other is clamped into the image in place. E_FAIL outside a paint or
  // without pixels.
  long DrawImage(tagImageItem* item, RectF* dest, RectF* source, DWORD colour);
  // 0 when filled, 1 outside a paint; an alpha of 0 fills nothing.
  int FillRectangle(const CRect& rect, DWORD colour);
  long FillRectangle(const RectF* rect, DWORD colour);
  // A frame of four strips that meet without overlapping; E_FAIL outside a
  // paint or for an empty rectangle. A frame thicker than half the shorter
  // side is drawn that thick.
  long DrawRectOutline(const RectF* rect, int thickness, DWORD colour);
  // The system's focus rectangle (every other pixel inverted); 0.
  long DrawRectDottedOutline(RECT* rect);
  // Circles are not drawn; 0.
  long DrawCircle(CPointF* centre, float radius, DWORD colour);
  // GDI text in the rectangle (x, y, width, height) with a font made for the
  // call; "SystemFontName" is the system face. DT_VCENTER and DT_BOTTOM draw
  // one line. Follows the DC's clip region only: not the renderer's clip, the
  // world transform or opacity. 0 when drawn, 1 when nothing was (or outside
  // a paint). The length is not used: the text runs to its NUL.
  long DrawTextW(const wchar_t* text, int length, long y, long x, long width, long height, int fontHeight,
                 int weight, int italic, int underline, const wchar_t* face, DWORD format, DWORD colour);
  // The face used for the face name "SystemFontName" (a copy is kept).
  static void SetSystemFontName(const wchar_t* name);
  static const wchar_t* GetSystemFontName();
  // Every pixel of the paint image set to the colour; E_FAIL outside a paint.
  long CleanScreen(DWORD colour);

  // The world transform: the transform's drawing form, identity for null.
  long SetTransform(CTransformBase* transform);
  // During a paint: the world transform becomes *t (identity for null); 1.
  // Outside a paint 0.
  int SetWorldTransform(const juce::AffineTransform* transform);
  void ResetWorldTransform() { m_world = juce::AffineTransform(); }
  juce::AffineTransform GetWorldTransform() const { return m_world; }

  // During a paint: the renderer's clip shrinks to the rectangle (null: the
  // whole surface) and the paint DC's clip region becomes that rectangle.
  // SaveClip and RestoreClip bracket a control's clipping, both clips.
  struct ClipState {
    bool saved = false;
    int dcLevel = 0;
  };
  void SetClipRgn(const CRect* rect);
  void SetClipRgn(const CRect& rect) { SetClipRgn(&rect); }
  ClipState SaveClip();
  void RestoreClip(const ClipState& state);
  // During a paint: ExtSelectClipRgn on the paint DC.
  void SetHDCClipRgn(HRGN region, int mode);
  // Later drawing shows only where the file's image, placed as DrawImage
  // places it, is opaque.
  void SetClipToImageAlpha(const CString& file, RectF* dest, RectF* source);
  void SaveRendererStat();
  void RestoreRendererStat();

  // The cached image's size into each non-null record (loading it if needed);
  // E_FAIL when it can't be had.
  long GetTextureInfo(const CString& file, _COREIMAGE_INFO* first, _COREIMAGE_INFO* second);
  void ReleaseTexture(const CString& file);
  ResourceCache* GetResourceCache();
  // Kept for callers; drawing does not use it. Values outside 0..1 are ignored.
  void SetGlobalOpacity(float opacity);
  float GetGlobalOpacity() const { return m_opacity; }

  // The paint DC (null outside a paint), or a replacement for it; the screen
  // DC, which measures text.
  HDC GetHDC() const { return m_paintDC; }
  void SetHDC(HDC dc) { m_paintDC = dc; }
  HDC GetHDCFont() const { return m_screenDC; }

  void Lock() { EnterCriticalSection(s_rscc.GetImageLock()); }
  void Unlock() { LeaveCriticalSection(s_rscc.GetImageLock()); }

 private:
  // A 24-bit bottom-up bitmap of the size in a memory DC of its own.
  struct Surface {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    BITMAPINFO info{};
    void* bits = nullptr;
    bool Make(int width, int height);
    void Free();
    juce::Image View() const;
  };
  // A paint image and its renderer.
  struct Paint {
    Surface surface;
    juce::Image image;
    std::unique_ptr<juce::Graphics> graphics;
  };
  bool StartPaint(int width, int height);
  void EndPaintImage();
  // The last complete frame onto the window's DC.
  void ShowBackBuffer(HDC target);
  // The image placed by `dest`, `source` and the world transform.
  juce::AffineTransform Placement(const RectF& dest, const RectF& source) const;

  HWND m_hWnd = nullptr;
  int m_width = 0;
  int m_height = 0;
  float m_opacity = 1.0f;
  HDC m_screenDC = nullptr;
  Surface m_back;
  Paint m_paint;
  Paint m_saved;  // what an off-screen paint set aside
  HDC m_savedDC = nullptr;
  bool m_virtual = false;
  HDC m_paintDC = nullptr;
  HBITMAP m_paintBitmap = nullptr;
  juce::Image m_target;
  juce::Graphics* m_graphics = nullptr;
  std::unique_ptr<juce::Graphics> m_external;  // over SetTarget's image
  juce::AffineTransform m_world;
};

}  // namespace UI
