#include "ui/photo/UIPhoto.h"

#include "common/AppPaths.h"
#include "common/FileHelpers.h"
#include "ui/UIForm.h"
#include "ui/photo/PhotoConfig.h"
#include "ui/render/DXCore.h"

namespace UI {

CUIPhoto::CUIPhoto() { m_strTypeName = L"CUIPhoto"; }

CUIPhoto::~CUIPhoto() {
  if (m_pImage) m_pImage->Reset();
}

CString CUIPhoto::DefaultImagePath() {
  CString path = Common::GetAppPath();
  if (!path.IsEmpty() && path[path.GetLength() - 1] != L'/') path += L"/";
  return path + L"SysBmp/defaultimage.png";
}

_ImageConfig* CUIPhoto::ResetImage() {
  if (m_pImage) {
    m_pImage->Reset();
  } else {
    m_pImage.reset(NewImageConfig());
  }
  return m_pImage.get();
}

int CUIPhoto::SetImage(const CString& path) {
  if (path.IsEmpty()) return 0;
  ResetImage()->m_strFile = path;
  SetPhotoBounds();
  return 1;
}

int CUIPhoto::SetImage(_ImageConfig config) {
  if (config.m_strFile.IsEmpty()) return 0;
  ResetImage()->Copy(&config);
  SetPhotoBounds();
  return 1;
}

CString CUIPhoto::GetImageFile() const { return m_pImage ? m_pImage->m_strFile : CString(); }

void CUIPhoto::SetDrawColor(unsigned long argb) {
  if (m_pImage) m_pImage->m_color = static_cast<DWORD>(argb);
}

void CUIPhoto::SetAutoFit(int fit) {
  if (auto* config = dynamic_cast<_PhotoConfig*>(GetSkinConfig(L""))) config->m_bStretch = fit;
}

void CUIPhoto::SetBounds(const CRect& bounds) {
  const bool changed = bounds != m_rcBounds;
  CUIControl::SetBounds(bounds);
  if (changed) SetPhotoBounds();
}

void CUIPhoto::SetPhotoBounds() {
  const CRect bounds = GetBounds();
  m_rcPhoto = bounds;
  auto* config = dynamic_cast<_PhotoConfig*>(GetSkinConfig(L""));
  const CString file = GetImageFile();
  if (!config || bounds.IsRectEmpty() || file.IsEmpty() || !m_pOwnerForm || config->m_bStretch) return;
  DXCore* core = m_pOwnerForm->GetRenderContext();
  _COREIMAGE_INFO info;
  if (!core || core->GetTextureInfo(file, &info, nullptr) != 0 || info.width == 0 || info.height == 0) return;
  const int W = bounds.Width(), H = bounds.Height(), w = info.width, h = info.height;
  int left, top, width, height;
  if (w <= W && h <= H) {
    width = w;
    height = h;
    left = bounds.left + (W - w) / 2;
    top = bounds.top + (config->m_bBottomAlign ? H - h : (H - h) / 2);
  } else {
    const float R = static_cast<float>(H) / static_cast<float>(W);
    const float r = static_cast<float>(h) / static_cast<float>(w);
    if (R < r) {
      height = H;
      width = static_cast<int>(static_cast<float>(H) / r);
      left = bounds.left + (W - width) / 2;
      top = bounds.top;
    } else {
      width = W;
      height = static_cast<int>(static_cast<float>(W) * r);
      left = bounds.left;
      top = bounds.top + (config->m_bBottomAlign ? H - height : (H - height) / 2);
    }
  }
  m_rcPhoto.SetRect(left, top, left + width, top + height);
}

void CUIPhoto::ArrangeAllSubControls() {
  CRect small = GetBoundsSmall();
  CRect bounds = GetBounds();
  for (int i = 0; i < GetChildCount(); ++i) {
    CUIControl* child = GetChild(i);
    if (!child) continue;
    if (m_bArrangeAsVisual) {
      CRect photo = m_rcPhoto;
      CRect photo2 = m_rcPhoto;
      child->ArrangeSelf(&photo, &photo2);
    } else {
      child->ArrangeSelf(&small, &bounds);
    }
    child->ArrangeAllSubControls();
  }
}

void CUIPhoto::RenderSelf(DXCore* core, const CRect*) {
  auto* config = dynamic_cast<_PhotoConfig*>(GetSkinConfig(L""));
  if (config && !config->m_bkImage.m_strFile.IsEmpty()) config->m_bkImage.Render(core, GetBounds());
  if (m_pImage) DrawSelf(core);
}

void CUIPhoto::DrawSelf(DXCore* core) {
  if (!m_pImage || m_pImage->m_strFile.IsEmpty()) return;
  // A photo the user moved or deleted shows the fall-back picture from now on.
  if (!Common::IsFileExist(m_pImage->m_strFile)) m_pImage->m_strFile = DefaultImagePath();
  if (!m_rcPhoto.IsRectEmpty()) m_pImage->Render(core, m_rcPhoto, nullptr);
}

}  // namespace UI
