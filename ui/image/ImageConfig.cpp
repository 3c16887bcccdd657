#include "ui/image/ImageConfig.h"

#include <algorithm>

#include "ui/render/DXCore.h"

namespace UI {

namespace {

bool IsEmptyRect(const CRect& r) { return r.right <= r.left || r.bottom <= r.top; }

}  // namespace

void _ImageConfig::Render(DXCore* core, CRect& dest, CRect* clip) { RenderRect(core, RectF(dest), m_rcSource, clip); }

void _ImageConfig::Copy(_ImageConfig* other) {
  if (!other) return;
  m_strFile = other->m_strFile;
  m_color = other->m_color;
  m_rcSource = other->m_rcSource;
}

void _ImageConfig::Reset() {
  m_strFile.Empty();
  m_rcSource = RectF();
  m_color = 0xFFFFFFFF;
  m_nFrame = 0;
}

int _ImageConfig::LoadImageW(const CString& path) {
  if (path.IsEmpty()) return 0;
  m_strFile = path;
  return 1;
}

bool ClipSource(RectF& dest, RectF& source, const CRect& clip) {
  const float sx = dest.Width() / source.Width();
  const float sy = dest.Height() / source.Height();
  const RectF c(clip);
  RectF cut(std::max(dest.left, c.left), std::max(dest.top, c.top), std::min(dest.right, c.right),
            std::min(dest.bottom, c.bottom));
  if (c.left > dest.left) source.left += (c.left - dest.left) / sx;
  if (c.top > dest.top) source.top += (c.top - dest.top) / sy;
  if (c.right < dest.right) source.right -= (dest.right - c.right) / sx;
  if (c.bottom < dest.bottom) source.bottom -= (dest.bottom - c.bottom) / sy;
  dest = cut;
  return !dest.IsEmpty();
}

void _ImageConfig::RenderRect(DXCore* core, RectF dest, RectF source, CRect* clip) {
  if (!core || m_strFile.IsEmpty() || dest.IsEmpty()) return;
  // A zero source stands for the whole image and stays zero, so the clip then
  // squeezes the whole image into what is left of dest.
  if (clip && !source.IsZero()) {
    if (!ClipSource(dest, source, *clip)) return;
  } else if (clip) {
    RectF ignored(0, 0, 1, 1);
    if (!ClipSource(dest, ignored, *clip)) return;
  }
  core->DrawImage(m_strFile, dest, source, m_color, m_nFrame);
}

void _ImageConfig::RenderRect(DXCore* core, CRect& dest, CRect& source, CRect* clip) {
  RenderRect(core, RectF(dest), RectF(source), clip);
}

void DivideEdge(const CRect& rect, const CEdge& edge, int horizontal, CRect out[3]) {
  const int w1 = edge.m_first.Width(), h1 = edge.m_first.Height();
  const int w3 = edge.m_last.Width(), h3 = edge.m_last.Height();
  if (horizontal) {
    out[0] = CRect(rect.left, rect.top, rect.left + w1, rect.bottom);
    out[1] = CRect(rect.left + w1, rect.top, rect.right - w3, rect.bottom);
    out[2] = CRect(rect.right - w3, rect.top, rect.right, rect.bottom);
  } else {
    out[0] = CRect(rect.left, rect.top, rect.right, rect.top + h1);
    out[1] = CRect(rect.left, rect.top + h1, rect.right, rect.bottom - h3);
    out[2] = CRect(rect.left, rect.bottom - h3, rect.right, rect.bottom);
  }
}

void _ImageConfig::RenderEdge(DXCore* core, CRect& dest, CEdge& edge, int horizontal) {
  if (!core || m_strFile.IsEmpty() || IsEmptyRect(dest)) return;
  CRect targets[3];
  DivideEdge(dest, edge, horizontal, targets);
  CRect* sources[3] = {&edge.m_first, &edge.m_middle, &edge.m_last};
  for (int i = 0; i < 3; ++i) {
    if (IsEmptyRect(*sources[i]) || IsEmptyRect(targets[i])) continue;
    if (edge.m_pureColor >> 24)
      core->FillRectangle(targets[i], edge.m_pureColor);
    else
      RenderRect(core, targets[i], *sources[i], nullptr);
  }
}

void _ImageEdgeConfig::Copy(_ImageConfig* other) {
  _ImageConfig::Copy(other);
  if (auto* edge = dynamic_cast<_ImageEdgeConfig*>(other)) {
    m_edge = edge->m_edge;
    m_bHorizontal = edge->m_bHorizontal;
  }
}

void _ImageEdgeConfig::Reset() {
  _ImageConfig::Reset();
  m_edge = CEdge();
  m_bHorizontal = 1;
}

void _ImageEdgeConfig::Render(DXCore* core, CRect dest) { RenderEdge(core, dest, m_edge, m_bHorizontal); }

void _ImageEdgeConfig::Caculate() {
  const CRect* slices[3] = {&m_edge.m_first, &m_edge.m_middle, &m_edge.m_last};
  int width = 0, height = 0;
  for (const CRect* s : slices) {
    if (m_bHorizontal) {
      width += s->Width();
      height = std::max(height, static_cast<int>(s->Height()));
    } else {
      width = std::max(width, static_cast<int>(s->Width()));
      height += s->Height();
    }
  }
  m_rcSource = RectF(0, 0, static_cast<float>(width), static_cast<float>(height));
}

void _ImageBorderConfig::Copy(_ImageConfig* other) {
  _ImageConfig::Copy(other);
  if (auto* border = dynamic_cast<_ImageBorderConfig*>(other)) {
    m_top = border->m_top;
    m_center = border->m_center;
    m_bottom = border->m_bottom;
  }
}

void _ImageBorderConfig::Reset() {
  _ImageConfig::Reset();
  m_top = m_center = m_bottom = CEdge();
}

namespace {

int EdgeHeight(const CEdge& e) {
  return std::max({e.m_first.Height(), e.m_middle.Height(), e.m_last.Height()});
}

}  // namespace

void _ImageBorderConfig::DivideWindow(CRect& dest, CRect* bands) {
  const int topH = EdgeHeight(m_top), bottomH = EdgeHeight(m_bottom);
  bands[0] = CRect(dest.left, dest.top, dest.right, dest.top + topH);
  bands[1] = CRect(dest.left, dest.top + topH, dest.right, dest.bottom - bottomH);
  bands[2] = CRect(dest.left, dest.bottom - bottomH, dest.right, dest.bottom);
}

void _ImageBorderConfig::Render(DXCore* core, CRect dest) {
  CRect bands[3];
  DivideWindow(dest, bands);
  CEdge* edges[3] = {&m_top, &m_center, &m_bottom};
  for (int i = 0; i < 3; ++i) {
    if (!IsEmptyRect(bands[i])) RenderEdge(core, bands[i], *edges[i], 1);
  }
}

}  // namespace UI
