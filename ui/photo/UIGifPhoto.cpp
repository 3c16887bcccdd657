#include "ui/photo/UIGifPhoto.h"

#include "ui/UIForm.h"
#include "ui/UILock.h"
#include "ui/image/ResourceCache.h"
#include "ui/photo/PhotoConfig.h"
#include "ui/render/DXCore.h"
#include "win32/Clock.h"

namespace UI {

CUIGifPhoto::CUIGifPhoto() { m_strTypeName = L"CUIGifPhoto"; }

void CUIGifPhoto::OnSetSkinData() {
  CUIPhoto::OnSetSkinData();
  auto* config = dynamic_cast<_PhotoConfig*>(GetSkinConfig(L""));
  if (!m_pImage && config && !config->m_bkImage.m_strFile.IsEmpty()) SetImage(config->m_bkImage.m_strFile);
}

void CUIGifPhoto::RenderSelf(DXCore* core, const CRect* clip) {
  CUIPhoto::RenderSelf(core, clip);
  DrawGifPhoto(core);
}

void CUIGifPhoto::DrawGifPhoto(DXCore*) {
  if (!m_pImage) return;
  DXCore::s_rscc.GetImageItem(m_pImage->m_strFile);
}

void CUIGifPhoto::OnTimerGifAnimation(UINT) {
  if (!m_pImage || !m_bAnimating) return;
  if (m_pOwnerForm) m_pOwnerForm->UnRegisterTimerHandler(kAnimationTimerId);
  LARGE_INTEGER now{};
  ::QueryPerformanceCounter(&now);
  m_lastFrameTime = now.QuadPart;
  UILock images(DXCore::s_rscc.GetImageLock(), FALSE);
  tagImageItem* item = DXCore::s_rscc.GetImageItem(m_pImage->m_strFile);
  const int frames = item ? item->GetNumFrames() : 0;
  if (frames > 1) {
    m_pImage->m_nFrame = m_pImage->m_nFrame >= frames - 1 ? 0 : m_pImage->m_nFrame + 1;
    m_bFrameAdvanced = TRUE;
    if (m_pOwnerForm && m_pOwnerForm->m_hWnd) ::PostMessageW(m_pOwnerForm->m_hWnd, WM_PAINT, 0, 0);
    return;
  }
  m_pImage->m_nFrame = 0;
  m_bAnimating = FALSE;
}

}  // namespace UI
