#include "ui/photo/PhotoConfig.h"

#include <algorithm>

#include "ui/skin/SkinReader.h"

namespace UI {

void _PhotoConfig::Copy(_SkinConfig* other) {
  if (other == this) return;
  _PhotoConfig::Reset();
  auto* photo = dynamic_cast<_PhotoConfig*>(other);
  if (!photo) return;
  m_bStretch = photo->m_bStretch;
  m_bBottomAlign = photo->m_bBottomAlign;
  m_bkImage.Copy(&photo->m_bkImage);
}

void _PhotoConfig::Reset() {
  m_bStretch = 0;
  m_bBottomAlign = 0;
  m_bkImage.Reset();
}

int _PhotoConfig::Read(CSkinReader* reader) {
  if (!reader) return 0;
  reader->GetBool(m_bStretch, L"Strech");
  reader->GetBool(m_bBottomAlign, L"BottomAlign");
  reader->GetImage(m_bkImage, L"BkImage");
  return 1;
}

_SkinConfig* _PhotoConfig::Clone() {
  auto* copy = new _PhotoConfig;
  copy->Copy(this);
  return copy;
}

void _PhotoCxImageConfig::Copy(_SkinConfig* other) {
  if (other == this) return;
  Reset();
  _PhotoConfig::Copy(other);
  if (auto* photo = dynamic_cast<_PhotoCxImageConfig*>(other)) m_bAutoRelease = photo->m_bAutoRelease;
}

void _PhotoCxImageConfig::Reset() { m_bAutoRelease = 1; }

int _PhotoCxImageConfig::Read(CSkinReader* reader) {
  if (!reader) return 0;
  reader->GetBool(m_bAutoRelease, L"IsAutoRelease");
  return 1;
}

_SkinConfig* _PhotoCxImageConfig::Clone() {
  auto* copy = new _PhotoCxImageConfig;
  copy->Copy(this);
  return copy;
}

void _PhotoExConfig::Copy(_SkinConfig* other) {
  if (other == this) return;
  Reset();
  _PhotoConfig::Copy(other);
  auto* photo = dynamic_cast<_PhotoExConfig*>(other);
  if (!photo) return;
  m_hoverImage.Copy(&photo->m_hoverImage);
  m_selectedImage.Copy(&photo->m_selectedImage);
  m_unselectedHoverImage.Copy(&photo->m_unselectedHoverImage);
  m_unselectedImage.Copy(&photo->m_unselectedImage);
  m_bListItemPhoto = photo->m_bListItemPhoto;
  m_bFixedHoverImageSize = photo->m_bFixedHoverImageSize;
}

void _PhotoExConfig::Reset() {
  _PhotoConfig::Reset();
  m_hoverImage.Reset();
  m_selectedImage.Reset();
  m_unselectedHoverImage.Reset();
  m_unselectedImage.Reset();
  m_bListItemPhoto = 0;
  m_bFixedHoverImageSize = 1;
}

int _PhotoExConfig::Read(CSkinReader* reader) {
  if (!_PhotoConfig::Read(reader)) return 0;
  reader->GetImage(m_hoverImage, L"HoverImage");
  reader->GetImage(m_unselectedHoverImage, L"UnSelectedHoverImage");
  reader->GetImage(m_selectedImage, L"SelectedImage");
  reader->GetImage(m_unselectedImage, L"UnSelectedImage");
  reader->GetBool(m_bListItemPhoto, L"ListItemPhoto");
  reader->GetBool(m_bFixedHoverImageSize, L"FixedHoverImageSize");
  return 1;
}

_SkinConfig* _PhotoExConfig::Clone() {
  auto* copy = new _PhotoExConfig;
  copy->Copy(this);
  return copy;
}

namespace {

int BandHeight(const CEdge& edge) {
  return std::max({edge.m_first.Height(), edge.m_middle.Height(), edge.m_last.Height()});
}

}  // namespace

CRect GrowByEdges(const CRect& rect, const _ImageBorderConfig& image) {
  return CRect(rect.left - image.m_center.m_first.Width(), rect.top - BandHeight(image.m_top),
               rect.right + image.m_center.m_last.Width(), rect.bottom + BandHeight(image.m_bottom));
}

}  // namespace UI
