#pragma once
// A vertical list of text rows of equal height with a vertical scroll bar at
// child 0 that shows when the rows span two viewports or more. It scrolls by
// whole rows, selects the row under the mouse and with the arrow keys
// (skipping disabled rows, wrapping at the ends) and reports a click on a row
// as event 1 from the row. UI thread only.
#include "ui/controls/IScrollInfo.h"
#include "ui/controls/UIItemsControl.h"

namespace UI {

class CUIListBox;
class CUIScrollBar;

class ListBoxItemData : public ItemBaseData {
 public:
  ListBoxItemData() = default;
  explicit ListBoxItemData(const CString& text) : m_strText(text) {}
  ListBoxItemData(const ListBoxItemData& other) : ItemBaseData(other), m_strText(other.m_strText) {}
  ListBoxItemData& operator=(const ListBoxItemData& other) {
    ItemBaseData::operator=(other);
    m_strText = other.m_strText;
    return *this;
  }
  void Copy(ItemBaseData* source) override;
  ItemBaseData* Clone() override;

  CString m_strText;
};

class CUIListBoxItem : public CUIItemBase {
 public:
  CUIListBoxItem();
  CUIListBox* GetParentListBox() const { return m_pParentListBox; }
  void SetParentListBox(CUIListBox* list) { m_pParentListBox = list; }

 protected:
  void RenderSelf(DXCore* core, const CRect* clip) override;
  BOOL OnMouseMessage(UINT message, UINT flags, const CPoint& point) override;

 private:
  CUIListBox* m_pParentListBox = nullptr;
};

class CUIListBox : public CUIItemsControl, public IScrollInfo {
 public:
  CUIListBox();

  void ArrangeAllSubControls() override;
  // The scroll bar goes with the rows: CreateScrollBar makes it again.
  void DeleteAlltems() override;
  CUIItemBase* GetItemFromIndex(int childIndex) override;
  int GeneraterControl() override;
  using CUIItemsControl::SetSelected;
  virtual void MeasureItems();
  virtual void ArrangeChildren();
  // The first row whose text equals `text` ignoring case; empty: row 1.
  virtual void SetSelected(const CString& text);

  void LineUp() override;
  void LineDown() override;
  void LineLeft() override {}
  void LineRight() override {}
  void PageUp() override;
  void PageDown() override;
  void PageLeft() override {}
  void PageRight() override {}
  void ThumbTrack() override;
  void SetVerticalOffset(int offset) override;
  void SetHorizontalOffset(int) override {}
  void UpdateScrollInfo(CSize viewport) override;
  void CalculateExtentSize(CSize size) override;
  void CalculateViewportSize(CSize size) override;

  // 0 without an owner form window; call again only after DeleteAlltems.
  int CreateScrollBar();
  // The next enabled row from childIndex by step, wrapping; -1 when no row is enabled.
  int FindNextEnableItem(int childIndex, int step);
  int CalculatePages();
  void MakeVisible(int childIndex);
  BOOL OnMouseWheel(UINT flags, CPoint point);

  CUIScrollBar* GetScrollBar() const { return m_pScrollBar; }
  CPoint GetOffset() const { return m_offset; }
  CSize GetExtent() const { return m_extent; }
  CSize GetViewport() const { return m_viewport; }

 protected:
  void RenderSelf(DXCore* core, const CRect* clip) override;
  BOOL OnMouseMessage(UINT message, UINT flags, const CPoint& point) override;
  BOOL OnKeyMessage(UINT message, UINT code, UINT repeat, UINT flags) override;
  BOOL OnBuildControlAfter() override;

 private:
  CUIScrollBar* m_pScrollBar = nullptr;
  CPoint m_offset;
  CSize m_extent;
  CSize m_viewport;
};

}  // namespace UI
