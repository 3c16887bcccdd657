#pragma once
// A panel that shows one scroll content (child 0) through its available area,
// with a vertical and a horizontal scroll bar that show only when the content
// spans two viewports or more. It owns the offset, the extent and the
// viewport; the wheel and the bars scroll it; every arrangement of its content
// fires event 2. The area for the content leaves room for both bars whether
// they show or not. UI thread only.
#include "ui/controls/IScrollInfo.h"
#include "ui/controls/UIPanel.h"

namespace UI {

class CUIScrollBar;
class CUIScrollContent;

class CUIScrollViewer : public CUIPanel, public IScrollInfo {
 public:
  CUIScrollViewer();

  void ArrangeAllSubControls() override;

  virtual void ArrangeScrollContent();
  // The padded bounds less the bars' layout width (right) and height (bottom).
  virtual CRect GetAvailableBounds();
  // Viewports the extent spans, each side at least 1.
  virtual CSize CalculatePages();
  // Takes child 0 as the content; 0 when it is none.
  virtual int SetScrollContent();
  virtual int OnLButtonDown(UINT flags, CPoint point);
  virtual int OnLButtonUp(UINT flags, CPoint point);
  virtual int OnRButtonUp(UINT flags, CPoint point);
  // One line up or down per message.
  virtual int OnMouseWheel(UINT flags, CPoint point);
  virtual void OnChanged();

  void LineUp() override;
  void LineDown() override;
  void LineLeft() override;
  void LineRight() override;
  void PageUp() override;
  void PageDown() override;
  void PageLeft() override;
  void PageRight() override;
  void ThumbTrack() override;
  void SetVerticalOffset(int offset) override;
  void SetHorizontalOffset(int offset) override;
  void UpdateScrollInfo(CSize viewport) override;
  void CalculateExtentSize(CSize size) override;
  void CalculateViewportSize(CSize size) override;

  CPoint GetOffset() const { return m_offset; }
  void SetOffset(const CPoint& offset);
  CSize GetExtentSize() const { return m_extent; }
  CSize GetViewportSize() const { return m_viewport; }
  CSize GetSmallChange() const { return m_smallChange; }
  void SetSmallChange(const CSize& change) { m_smallChange = change; }
  BOOL IsHorScrollBarVisible();
  BOOL IsVerScrollBarVisible();
  CUIScrollContent* GetScrollContent() const { return m_pContent; }
  CUIScrollBar* GetHorScrollBar() const { return m_pHorBar; }
  CUIScrollBar* GetVerScrollBar() const { return m_pVerBar; }

 protected:
  BOOL OnMouseMessage(UINT message, UINT flags, const CPoint& point) override;
  // Takes the content and, only with one, makes the bars.
  BOOL OnBuildControlAfter() override;

 private:
  int CreateScrollBar();
  CUIScrollBar* MakeBar(const wchar_t* name);

  CUIScrollContent* m_pContent = nullptr;
  CPoint m_offset;
  CSize m_extent;
  CSize m_viewport;
  CSize m_smallChange{40, 40};
  CUIScrollBar* m_pHorBar = nullptr;
  CUIScrollBar* m_pVerBar = nullptr;
};

}  // namespace UI
