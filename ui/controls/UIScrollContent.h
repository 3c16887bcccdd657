#pragma once
// What a scroll viewer shows: a control as large as its whole content, placed
// inside the viewer's available area by its layout code and moved by the
// viewer's offset. Subclasses measure their content; the viewer hands them its
// clicks through the hooks below. UI thread only.
#include "ui/UIControl.h"

namespace UI {

class CUIScrollViewer;

class CUIScrollContent : public CUIControl {
 public:
  // Places the content in the viewer's available area; nothing outside a viewer.
  void ArrangeSelf(CRect* available, CRect* parentBounds) override;

  // The size of the whole content for the available rectangle.
  virtual void CalculateContentSize(CRect* available, CSize* size) = 0;
  virtual void OnScrollViewerLButtonDown(UINT, CPoint) {}
  virtual void OnScrollViewerLButtonUp(UINT, CPoint) {}
  virtual void OnScrollViewerRButtonUp(UINT, CPoint) {}

  // The parent when it is a scroll viewer, else null.
  CUIScrollViewer* GetScrollViewer() const;

 protected:
  CUIScrollContent() = default;
};

}  // namespace UI
