#include "ui/photo/UIPhotoCxImage.h"

#include <algorithm>
#include <cmath>

#include "ui/UIForm.h"
#include "ui/image/ImageConfigCxImage.h"
#include "ui/render/XFormMath.h"

namespace UI {

CUIPhotoCxImage::CUIPhotoCxImage() { m_strTypeName = L"CUIPhotoCxImage"; }

CUIPhotoCxImage::~CUIPhotoCxImage() { m_pImage.reset(); }

_ImageConfig* CUIPhotoCxImage::NewImageConfig() { return new _ImageConfigCxImage; }

DXCore* CUIPhotoCxImage::Core() const { return m_pOwnerForm ? m_pOwnerForm->GetRenderContext() : nullptr; }

int CUIPhotoCxImage::SetImage(const CString& path) {
  if (path.IsEmpty()) return 0;
  auto* piece = static_cast<_ImageConfigCxImage*>(ResetImage());
  m_strImageName.Empty();
  if (!piece->LoadImageW(Core(), path)) return 0;
  m_strImageName = path;
  SetPhotoBounds();
  return 1;
}

int CUIPhotoCxImage::SetImage(CxImage* image, const CString& name) {
  if (!image) return 0;
  auto* piece = static_cast<_ImageConfigCxImage*>(ResetImage());
  // The picture is cached under its name; an empty name gets a generated
  // one, written back so that the control can be asked for it.
  m_strImageName = name;
  if (!piece->LoadImageW(Core(), image, m_strImageName)) return 0;
  SetPhotoBounds();
  return 1;
}

CxImage* CUIPhotoCxImage::GetImage() {
  auto* piece = static_cast<_ImageConfigCxImage*>(m_pImage.get());
  return piece ? piece->GetCxImage() : nullptr;
}

void CUIPhotoCxImage::DrawSelf(DXCore* core) {
  if (m_pImage && !m_pImage->m_strFile.IsEmpty()) m_pImage->Render(core, m_rcPhoto, nullptr);
}

bool CUIPhotoCxImage::Rotate(bool left) {
  auto* piece = static_cast<_ImageConfigCxImage*>(m_pImage.get());
  if (!piece || !(left ? piece->RotateLeft() : piece->RotateRight())) return false;
  SetBounds(RotateRect(GetBounds(), left ? -90.0f : 90.0f));
  return true;
}

bool CUIPhotoCxImage::RotateRight() { return Rotate(false); }
bool CUIPhotoCxImage::RotateLeft() { return Rotate(true); }

CRect CUIPhotoCxImage::RotateRect(CRect rect, float degrees) {
  const CPointF centre(rect.left + (rect.right - rect.left) * 0.5f, rect.top + (rect.bottom - rect.top) * 0.5f);
  XFORM xf;
  XFormTransformationRotate(&xf, &centre, degrees / 180.0f * 3.1415927f);
  const POINT corners[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
  POINT out[2];
  XFormTransformPoint(&xf, &corners[0], &out[0]);
  XFormTransformPoint(&xf, &corners[1], &out[1]);
  return CRect(std::min(out[0].x, out[1].x), std::min(out[0].y, out[1].y), std::max(out[0].x, out[1].x),
               std::max(out[0].y, out[1].y));
}

}  // namespace UI
