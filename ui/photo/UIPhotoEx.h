#pragma once
// A selectable photo: hover and selected overlays over the picture, pressed
// and released by the mouse. In list-item mode it is the photo of a photo
// list's cell, with a frame around the picture and a mark in the top-right
// corner. UI thread only.
#include "ui/photo/UIPhoto.h"

namespace UI {

enum UIPhotoStatus : int {
  UIPhotoStatusNormal = 0,
  UIPhotoStatusHover = 1,
  UIPhotoStatusSelected = 2,
  UIPhotoStatusDisabled = 3,
  UIPhotoStatusFocused = 4,
};

class CUIPhotoEx : public CUIPhoto {
 public:
  CUIPhotoEx();

  // The area the frame around the picture paints; the bounds without a style.
  CRect GetBoundsRefresh() override;
  void RenderSelf(DXCore* core, const CRect* clip) override;
  BOOL OnMouseMessage(UINT message, UINT flags, const CPoint& point) override;
  virtual void OnClick(const CPoint& point);

  // Sets the status and repaints.
  void SetPhotoStatus(UIPhotoStatus status);
  UIPhotoStatus GetPhotoStatus() const { return m_status; }
  // Selected (2) or normal (0), without a repaint.
  void SetPhotoSelected(int selected) { m_status = selected ? UIPhotoStatusSelected : UIPhotoStatusNormal; }
  int GetPhotoSelected() const { return m_status == UIPhotoStatusSelected ? 1 : 0; }

 protected:
  void RenderNomalPhoto(DXCore* core);
  void RenderListItemPhoto(DXCore* core);

 private:
  UIPhotoStatus m_status = UIPhotoStatusNormal;
};

}  // namespace UI
