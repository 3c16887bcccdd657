#pragma once
// How a skin names a bitmap: a file (a translated path, or a cache key for
// pixels held in memory), the rectangle of it to use, and the colour whose
// alpha is the opacity it is drawn with. The pixels live in the image cache.
#include "mfc/Afx.h"
#include "ui/render/RectF.h"

namespace UI {

class DXCore;

// The geometry of a 3-slice: first, last and middle slices in image pixels and
// a pure colour that, when its alpha is not 0, fills each slice's destination
// instead of the image.
struct CEdge {
  CRect m_first;
  CRect m_last;
  CRect m_middle;
  DWORD m_pureColor = 0;
};

class _ImageConfig {
 public:
  _ImageConfig() = default;
  _ImageConfig(const _ImageConfig&) = default;
  _ImageConfig& operator=(const _ImageConfig&) = default;
  virtual ~_ImageConfig() = default;

  // Draws the piece stretched over dest, cut by the clip when there is one.
  virtual void Render(DXCore* core, CRect& dest, CRect* clip);
  // File, colour and source rectangle of other; the frame index stays.
  virtual void Copy(_ImageConfig* other);
  virtual void Reset();

  // A non-empty path becomes the file (1); an empty one changes nothing (0).
  int LoadImageW(const CString& path);
  // Draws the source rectangle of the file into dest with this piece's colour
  // and frame. A zero source means the whole image.
  void RenderRect(DXCore* core, RectF dest, RectF source, CRect* clip);
  void RenderRect(DXCore* core, CRect& dest, CRect& source, CRect* clip);
  // Draws a 3-slice of this piece's file: the end slices keep their width
  // (horizontal) or height and the middle one stretches.
  void RenderEdge(DXCore* core, CRect& dest, CEdge& edge, int horizontal);

  CString m_strFile;
  RectF m_rcSource;
  DWORD m_color = 0xFFFFFFFF;
  int m_nFrame = 0;
};

// The destinations of the three slices of a 3-slice in rect, in the order
// first, middle, last.
void DivideEdge(const CRect& rect, const CEdge& edge, int horizontal, CRect out[3]);
// The source rectangle of a draw cut by a clip: dest and source are moved in
// by the part of dest the clip removes, scaled into source pixels. False when
// nothing of dest remains.
bool ClipSource(RectF& dest, RectF& source, const CRect& clip);

class _ImageEdgeConfig : public _ImageConfig {
 public:
  _ImageEdgeConfig() = default;
  void Copy(_ImageConfig* other) override;
  void Reset() override;
  virtual void Render(DXCore* core, CRect dest);
  using _ImageConfig::Render;

  // The source rectangle := (0, 0, natural width, natural height).
  void Caculate();

  CEdge m_edge;
  int m_bHorizontal = 1;
};

class _ImageBorderConfig : public _ImageConfig {
 public:
  _ImageBorderConfig() = default;
  void Copy(_ImageConfig* other) override;
  void Reset() override;
  virtual void Render(DXCore* core, CRect dest);
  using _ImageConfig::Render;

  // dest cut into the top, centre and bottom bands.
  void DivideWindow(CRect& dest, CRect* bands);
  void Caculate() {}

  CEdge m_top;
  CEdge m_center;
  CEdge m_bottom;
};

}  // namespace UI
