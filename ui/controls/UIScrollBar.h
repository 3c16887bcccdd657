#pragma once
// A scroll bar: a range control with two arrow buttons (children 0 and 1), a
// track and a thumb, bound to the scroll interface of the control it scrolls.
// Arrow clicks step a line, a click in the track pages (and repeats while held,
// on its form's timer 1003), a thumb drag scrolls through ThumbTrack. The bound
// control sets the range, page and value. A bar whose style is not known yet
// has no arrow buttons and computes no thumb until it gets them.
// UI thread only.
#include "ui/controls/UIRangeBase.h"

namespace UI {

struct IScrollInfo;
class CUIButton;
class _ScrollBarConfig;

enum UIScrollBarStatus : int {
  UIScrollBarStatusNormal = 0,
  UIScrollBarStatusHover = 1,
  UIScrollBarStatusPress = 2,
};

class CUIScrollBar : public CUIRangeBase {
 public:
  static constexpr UINT kRepeatTimerId = 1003;

  explicit CUIScrollBar(const CString& styleName = CString());
  ~CUIScrollBar() override;

  void AfterSetToValue() override;

  void SetPageSize(CSize page) { m_pageSize = page; }
  CSize GetPageSize() const { return m_pageSize; }
  CRect GetThumbRect() const { return m_rcThumb; }
  void SetIScrollInfo(IScrollInfo* info) { m_pScrollInfo = info; }
  UIScrollBarStatus GetSBStatus() const { return m_status; }
  int GetRepeatState() const { return m_nRepeatState; }
  BOOL IsDragging() const { return m_bDragging; }
  CUIButton* GetFirstButton() const { return m_pFirstButton; }
  CUIButton* GetSecondButton() const { return m_pSecondButton; }

 protected:
  void RenderSelf(DXCore* core, const CRect* clip) override;
  BOOL OnMouseMessage(UINT message, UINT flags, const CPoint& point) override;
  BOOL OnBuildControlAfter() override;
  void OnSetSkinData() override;

  void SetThumbRect();
  int Create2Button();
  // 0 outside, 5 the thumb, 1/2 the track before/after it (vertical),
  // 3/4 (horizontal), 0 anywhere else.
  int HitTest(const CPoint& point);
  void OnMouseMove(UINT flags, CPoint point);
  void OnLButtonDown(UINT flags, CPoint point);
  void OnLButtonUp(UINT flags, CPoint point);
  void OnMouseLeave(UINT flags, CPoint point);
  void SetSBStatus(UIScrollBarStatus status);

  void ThumbTrack();
  void PageUp();
  void PageDown();
  void PageLeft();
  void PageRight();
  void LineUp();
  void LineDown();
  void LineLeft();
  void LineRight();
  int OnButtonClick(CUIControl* sender, void* param);
  static int GetDelay();
  static int GetInterval();
  void StartTimer(int ms);
  void StopTimer();
  void OnScrollBarTimer(UINT id);

 private:
  _ScrollBarConfig* GetBarConfig();
  bool IsHorz();
  // The track between the arrow buttons; false without buttons.
  bool Track(int& start, int& end);
  IScrollInfo* Bound();
  void Step(int area);

  CSize m_pageSize;
  CRect m_rcThumb;
  CUIButton* m_pFirstButton = nullptr;
  CUIButton* m_pSecondButton = nullptr;
  UIScrollBarStatus m_status = UIScrollBarStatusNormal;
  int m_nRepeatState = 0;
  BOOL m_bDragging = FALSE;
  CPoint m_lastPoint;
  IScrollInfo* m_pScrollInfo = nullptr;
};

}  // namespace UI
