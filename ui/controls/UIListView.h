#pragma once
// A virtualised list of arbitrary controls, the scroll content of a scroll
// viewer: it owns an ordered list of items and lays them out in a grid of
// equal cells or in one column; only the items whose rows meet the viewer's
// visible area are its children, so drawing and hit testing touch only what
// shows. Changes of the list fire event 2 with a ListViewChange. UI thread only.
#include <list>

#include "ui/controls/UIScrollContent.h"
#include "ui/controls/VirtualArranger.h"

namespace UI {

class _UIListViewConfig;

// The parameter of the list view's event 2: the item (null after a clear) and
// the change of the count.
struct ListViewChange {
  CUIControl* m_pItem = nullptr;
  int m_nChange = 0;
};

class CUIListView : public CUIScrollContent {
 public:
  CUIListView();
  ~CUIListView() override;

  void ArrangeAllSubControls() override;
  void CalculateContentSize(CRect* available, CSize* size) override;

  int AddItem(CUIControl* item, int rearrange);
  // Below 0 or at the count and past it appends. 0 for a null item.
  int InsertItem(CUIControl* item, int index, int rearrange);
  // Unlinks the item and hands it back; the caller owns it. Null (or 0) when
  // it is not in the list.
  CUIControl* RemoveItem(int index);
  int RemoveItem(CUIControl* item);
  CUIControl* GetItem(int index);
  int GetCount() const { return static_cast<int>(m_items.size()); }
  // Deletes every item.
  void ClearAllItem();
  // Empties the child list; the items stay the list view's.
  void ClearSubControls();
  // Makes an item of the list a child again.
  void DeployItem(CUIControl* item);
  const std::vector<CUIControl*>& GetSubControls() const { return m_children; }

  CSize GetItemSize();
  CSize GetItemRealSize();
  void SetItemSize(CSize size);
  ArrangeType GetArrangeType() const { return m_arrangeType; }
  void SetArrangeType(ArrangeType type) { m_arrangeType = type; }
  const VirtualArranger<CUIListView, CUIControl>& GetArranger() const { return m_arranger; }

 protected:
  void RenderSelf(DXCore* core, const CRect* clip) override;
  BOOL OnBuildControlAfter() override { return 1; }

 private:
  _UIListViewConfig* GetListConfig();
  void RearrangeInViewer();
  void Changed(CUIControl* item, int change);

  std::list<CUIControl*> m_items;
  VirtualArranger<CUIListView, CUIControl> m_arranger;
  CPoint m_lastOffset;
  ArrangeType m_arrangeType = ArrangeMultiColumn;
};

}  // namespace UI
