#include "ui/photo/UIPhotoEx.h"

#include "ui/controls/ControlEvents.h"
#include "ui/photo/PhotoConfig.h"

namespace UI {

CUIPhotoEx::CUIPhotoEx() { m_strTypeName = L"CUIPhotoEx"; }

void CUIPhotoEx::SetPhotoStatus(UIPhotoStatus status) {
  m_status = status;
  Refresh(FALSE, nullptr);
}

BOOL CUIPhotoEx::OnMouseMessage(UINT message, UINT, const CPoint& point) {
  const BOOL enabled = IsEnabled();
  if (m_status == UIPhotoStatusDisabled && !enabled) return 0;
  switch (message) {
    case WM_LBUTTONDOWN:
      if (enabled && m_status != UIPhotoStatusSelected) SetPhotoStatus(UIPhotoStatusSelected);
      return 0;  // the press goes on to the ancestors
    case WM_LBUTTONUP:
      if (enabled) {
        if (m_status != UIPhotoStatusSelected) SetPhotoStatus(UIPhotoStatusHover);
        OnClick(point);
      }
      return 1;
    case WM_MOUSEHOVER:
      if (enabled) {
        FireEvent(kMouseEnterEvent, this);
        if (m_status == UIPhotoStatusNormal) SetPhotoStatus(UIPhotoStatusHover);
      }
      return 1;
    case WM_MOUSELEAVE:
      FireEvent(kMouseLeaveEvent, this);
      if (m_status == UIPhotoStatusHover && !IsKBFocused()) SetPhotoStatus(UIPhotoStatusNormal);
      if (IsKBFocused()) SetPhotoStatus(UIPhotoStatusFocused);
      return 1;
    default:
      return 0;
  }
}

void CUIPhotoEx::OnClick(const CPoint&) {
  if (IsEnabled()) DispatchEvent(this, kClickEvent, this);
}

CRect CUIPhotoEx::GetBoundsRefresh() {
  auto* config = dynamic_cast<_PhotoExConfig*>(GetSkinConfig(L""));
  if (!config) return GetBounds();
  return GrowByEdges(m_rcPhoto, config->m_bkImage);
}

void CUIPhotoEx::RenderSelf(DXCore* core, const CRect*) {
  auto* config = dynamic_cast<_PhotoExConfig*>(GetSkinConfig(L""));
  if (!config) return;
  if (config->m_bListItemPhoto) {
    RenderListItemPhoto(core);
  } else {
    RenderNomalPhoto(core);
  }
}

void CUIPhotoEx::RenderNomalPhoto(DXCore* core) {
  auto* config = dynamic_cast<_PhotoExConfig*>(GetSkinConfig(L""));
  if (!config) return;
  if (m_pImage) DrawSelf(core);
  CRect bounds = GetBounds();
  switch (m_status) {
    case UIPhotoStatusNormal:
      if (!config->m_bkImage.m_strFile.IsEmpty()) config->m_bkImage.Render(core, bounds);
      break;
    case UIPhotoStatusHover:
      if (!config->m_hoverImage.m_strFile.IsEmpty()) config->m_hoverImage.Render(core, bounds);
      break;
    case UIPhotoStatusSelected:
      if (!config->m_selectedImage.m_strFile.IsEmpty()) config->m_selectedImage.Render(core, bounds, nullptr);
      break;
    default:
      break;
  }
}

void CUIPhotoEx::RenderListItemPhoto(DXCore* core) {
  auto* config = dynamic_cast<_PhotoExConfig*>(GetSkinConfig(L""));
  if (!config) return;
  if (m_pImage) DrawSelf(core);
  const CRect bounds = GetBounds();
  if (m_status == UIPhotoStatusNormal && !config->m_bkImage.m_strFile.IsEmpty()) {
    config->m_bkImage.Render(core, GrowByEdges(m_rcPhoto, config->m_bkImage));
  }
  CRect mark(bounds.right - 21, bounds.top + 6, bounds.right - 6, bounds.top + 21);
  const CRect overlay = config->m_bFixedHoverImageSize ? bounds : GrowByEdges(m_rcPhoto, config->m_hoverImage);
  if (m_status == UIPhotoStatusSelected) {
    if (!config->m_hoverImage.m_strFile.IsEmpty()) config->m_hoverImage.Render(core, overlay);
    if (!config->m_selectedImage.m_strFile.IsEmpty()) config->m_selectedImage.Render(core, mark, nullptr);
  } else if (m_status == UIPhotoStatusHover) {
    if (!config->m_unselectedHoverImage.m_strFile.IsEmpty()) config->m_unselectedHoverImage.Render(core, overlay);
    if (!config->m_unselectedImage.m_strFile.IsEmpty()) config->m_unselectedImage.Render(core, mark, nullptr);
  }
}

}  // namespace UI
