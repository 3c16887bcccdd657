#pragma once
// A page of a tab control and its header. The page owns its entry until the
// tab control's data list takes it; its header lives in the tab control's
// strip and shows the page's default, hover or selected picture. A press on
// the header asks the tab control to select the page. UI thread only.
#include "fastdelegate/FastDelegate.h"
#include "ui/controls/UIItemsControl.h"

namespace UI {

class CUITabControl;
class CUITabItem;

class TabItemData : public ItemBaseData {
 public:
  TabItemData() = default;
};

enum UITabItemHeaderStatus : int {
  UITabItemHeaderNormal = 0,
  UITabItemHeaderHover = 1,
  UITabItemHeaderSelected = 2,
};

class CUITabItemHeader : public CUIControl {
 public:
  CUITabItemHeader();
  // Stores the status and repaints the tab control.
  void SetHeaderStatus(UITabItemHeaderStatus status);
  UITabItemHeaderStatus GetHeaderStatus() const { return m_status; }
  // Selected or normal, without repainting.
  void SetSelected(int selected) { m_status = selected ? UITabItemHeaderSelected : UITabItemHeaderNormal; }
  void SetParentTabItem(CUITabItem* page) { m_pTabItem = page; }
  CUITabItem* GetParentTabItem() const { return m_pTabItem; }

 protected:
  void RenderSelf(DXCore* core, const CRect* clip) override;
  BOOL OnMouseMessage(UINT message, UINT flags, const CPoint& point) override;

 private:
  // Clickable controls inside a header select its page.
  int OnButtonClick(CUIControl* sender, void* param);

  CUITabItem* m_pTabItem = nullptr;
  UITabItemHeaderStatus m_status = UITabItemHeaderNormal;
};

class CUITabItem : public CUIItemBase {
 public:
  CUITabItem();
  // Deletes its entry and its own header while no tab control has taken them.
  ~CUITabItem() override;

  void SetSelected(int selected) override;
  virtual void CreateHeader();
  virtual void CreateContent();
  virtual void ModifyContent() {}
  virtual void ModifyHeader() {}

  CUITabItemHeader* GetHeader() const { return m_pHeader; }
  void SetHeader(CUITabItemHeader* header) { m_pHeader = header; }
  CUIControl* GetContent() const { return m_pContent; }
  CUITabControl* GetParentTabControl() const { return m_pTabControl; }
  void SetParentTabControl(CUITabControl* tab) { m_pTabControl = tab; }
  void OnLButtonDown(UINT flags, CPoint point);
  void OnRButtonDown(UINT flags, CPoint point);
  void OnMouseMove(UINT, CPoint) {}
  // The tab control's data list took the entry; its strip took the header.
  void EntryTaken() { m_bOwnsData = FALSE; }
  void HeaderPlaced() { m_bOwnsHeader = FALSE; }

 protected:
  void RenderSelf(DXCore* core, const CRect* clip) override;
  BOOL OnMouseMessage(UINT message, UINT flags, const CPoint& point) override;
  BOOL OnBuildControlAfter() override;

 private:
  CUITabControl* m_pTabControl = nullptr;
  CUITabItemHeader* m_pHeader = nullptr;
  CUIControl* m_pContent = nullptr;
  BOOL m_bOwnsData = TRUE;
  // A header the page made itself is no child of anything until the strip takes it.
  BOOL m_bOwnsHeader = FALSE;
};

}  // namespace UI
