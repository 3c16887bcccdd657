#pragma once
// Pages with a strip of headers. The pages (CUITabItem) come from the build
// file; the tab control makes the strip (a CUITabPanel at child 0), docks it
// to the side its style names and moves every page's header into it. One page
// is shown at a time; a mouse selection can be vetoed by the before-change
// handler; Ctrl+Tab, Ctrl+Shift+Tab, Home and End move between pages.
// UI thread only.
#include "fastdelegate/FastDelegate.h"
#include "ui/controls/TabControlConfig.h"
#include "ui/controls/UIItemsControl.h"
#include "ui/controls/UIPanel.h"

namespace UI {

class CUITabControl;
class CUITabItem;
class TabItemData;

class CUITabPanel : public CUIPanel {
 public:
  CUITabPanel();
  void SetParentTabControl(CUITabControl* tab) { m_pTabControl = tab; }
  void ArrangeAllSubControls() override;
  // The headers last to first, the selected page's header last of all.
  void RenderAllSubControls(DXCore* core, const CRect* clip, const CRect* paint) override;

 private:
  CUITabControl* m_pTabControl = nullptr;
};

using TabBeforeChangeHandler = fastdelegate::FastDelegate2<CUITabItem*, int&>;

class CUITabControl : public CUIItemsControl {
 public:
  CUITabControl();

  // The strip is drawn again over the pages.
  void Render(DXCore* core, const CRect* clip, const CRect* paint) override;
  CUIItemBase* GetItemFromIndex(int childIndex) override;
  // The strip goes with the pages.
  void DeleteAlltems() override;
  virtual int CreateTabPanel();
  virtual void ArrangeTabPanel();
  virtual void OnCreateTabPanelAfter();
  virtual void AddTabItemData(TabItemData* data, int index);

  void SetBeforeChangeHandler(TabBeforeChangeHandler handler) { m_beforeChange = handler; }
  // The mouse path: asks the handler, selects the page when allowed; the answer.
  int TryToSelectItem(CUITabItem* page);
  // The next page from childIndex by step, wrapping over 1 .. count - 1.
  int FindNextTabItem(int childIndex, int step);
  DOCK GetTabStripPlacement();
  CRect GetTabItemHeaderMargin();
  CRect GetTabPanelOffset();
  CUIControl* GetTabPanel() const { return m_pTabPanel; }

 protected:
  void RenderSelf(DXCore* core, const CRect* clip) override;
  BOOL OnKeyMessage(UINT message, UINT code, UINT repeat, UINT flags) override;
  BOOL OnBuildControlAfter() override;

 private:
  _TabControlConfig* GetTabConfig();

  CUIControl* m_pTabPanel = nullptr;
  TabBeforeChangeHandler m_beforeChange;
};

}  // namespace UI
