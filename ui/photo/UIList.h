#pragma once
// The photo list: a scrolling grid of equally sized photo cells, one per photo
// record, with a scroll bar (child 0), multiple selection by mouse, keyboard
// and rubber band, drag and drop of photos, a context menu, and thumbnails made
// by its own worker thread. The records are the items control's data list;
// only those in and near the visible lines have a cell.
//
// Threads: everything runs on the UI thread except the thumbnail worker, which
// only queues (record, thumbnail path, size) under the list lock; the UI thread
// applies the results to records and cells when its loop gets to them, so a
// cell is never touched from the worker. Removed cells are released after the
// message that removed them has been dispatched.
#include <memory>
#include <vector>

#include "ui/controls/IScrollInfo.h"
#include "ui/controls/UIItemsControl.h"
#include "ui/image/ImageConfig.h"
#include "ui/photo/UIThreadPost.h"
#include "ui/thumb/ThumbManager.h"
#include "win32/CriticalSection.h"

namespace UI {

class CUIListItem;
class CUIScrollBar;
class ListItemData;

class CUIList : public CUIItemsControl, public IScrollInfo {
 public:
  static constexpr UINT kBandTimerId = 1002;
  static constexpr UINT kDragTimerId = 1003;
  // Events of the list besides click (1) and selection changed (2).
  static constexpr int kPrintSizeEvent = 3;
  static constexpr int kThumbsDoneEvent = 8;
  static constexpr int kPhotoCountEvent = 12;

  CUIList();
  ~CUIList() override;

  // --- layout and scrolling ---
  void ArrangeAllSubControls() override;
  void RenderSelf(DXCore* core, const CRect* clip) override;
  void RenderAfterSubCtrls(DXCore* core, const CRect* clip, const CRect* paint) override;
  int CreateScrollBar();
  int IsScollBarHor();
  virtual void MeasureItems();
  int GeneraterControl() override;
  void CleanUpItems(int first, int end);
  void RemoveItemRange(int start, int count);
  int CalculatePerRowOrColumn(CSize viewport);
  int CalculateTotalRowsOrColumns(int count, int perLine);
  int CalculatePages();
  CSize CalculateRowAndCol(ListItemData* record);
  void CalculatePadding(int perLine);
  void MakeVisible(ListItemData* record);
  void MakeVisible(CUIListItem* cell);

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
  void UpdateScrollInfo(CSize size) override;
  void CalculateExtentSize(CSize size) override;
  void CalculateViewportSize(CSize size) override;

  // --- selection and editing ---
  void SetSelectionMode(int mode) { m_nSelectionMode = mode; }
  int GetSelectionMode() const { return m_nSelectionMode; }
  virtual void ListenItemClicked(CUIListItem* cell, UINT button);
  void SetItemSelected(CUIItemBase* cell, int selected) override;
  void MakeSelection(CUIListItem* cell, int refresh);
  void UpdateAnchorItemData(ListItemData* record);
  void SelectAll(int refresh);
  void UnSelectAll() override;
  void UnSelectSelection(CPtrList* records);
  virtual int RemoveItem(ListItemData* record, int rearrange);
  virtual int RemoveItem(CUIListItem* cell, int deleteRecord);
  virtual int RemoveItem(int childIndex, int deleteRecord);
  virtual void DeleteAllSelectedItems();
  void DeleteAlltems() override;
  void DeletePixNotEnoughItems(CPtrList& records);
  CUIItemBase* GetItemFromIndex(int childIndex) override;
  virtual CUIListItem* GetItemUnderPoint(const CPoint& point);
  int IsItemDataExist(ItemBaseData* record) override;
  virtual int IsItemDataExist(CString path);
  ListItemData* GetItemDataFromPath(CString path);
  int GetSelectedItemsPath(CList<CString, CString&>& out);
  int GetPixNotEnoughItems(CPtrList& out);
  int GetAnormalItems(CPtrList& out);
  virtual void SetItemData(ListItemData* record, int count);
  int GetPhotoCount();
  virtual void FirePhotoCountEvent(int fire);

  // --- mouse, drag and drop, thumbnails ---
  BOOL OnMouseMessage(UINT message, UINT flags, const CPoint& point) override;
  void SetSupportDrag(int support) { m_bSupportDrag = support; }
  int GetSupportDrag() const { return m_bSupportDrag; }
  virtual void OnDrag(ListItemData* record);
  virtual void OnDragOver(const CPoint& point);
  virtual void OnDrop(ListItemData*, int) {}
  virtual void OnSetDragInsertRect(const CPoint&) {}
  CRect GetMultiSelect(bool clamp);

  // What the cells and tests read.
  ListItemData* GetAnchorItemData() const { return m_pAnchorItemData; }
  ListItemData* GetFocusItemData() const { return m_pFocusItemData; }
  void SetAnchorAndFocus(ListItemData* record) { m_pAnchorItemData = m_pFocusItemData = record; }
  CSubControlResManager& GetSubControlStore() { return *m_pStyles; }
  CUIScrollBar* GetScrollBar() const { return m_pScrollBar; }
  ThumbManager& GetThumbManager() { return m_thumbs; }
  CPoint GetOffset() const { return m_offset; }
  CSize GetExtent() const { return m_extent; }
  CSize GetViewport() const { return m_viewport; }
  CSize GetGaps() const { return CSize(m_nHorGap, m_nVerGap); }
  int GetMouseState() const { return m_nMouseState; }
  int GetAutoScrollState() const { return m_nAutoScroll; }
  void GetRealisedRange(int& first, int& end) const {
    first = m_nFirst;
    end = m_nEnd;
  }

 protected:
  BOOL OnKeyMessage(UINT message, UINT key, UINT repeat, UINT flags) override;
  BOOL OnActivate(UINT state, BOOL minimized) override;
  BOOL OnBuildControlAfter() override;
  int OnAddItemData(ItemBaseData* record) override;
  int OnRemoveItemData(ItemBaseData* record) override;
  virtual void OnMouseMove(UINT flags, CPoint point);
  virtual void OnLButtonDown(UINT flags, CPoint point);
  virtual void OnLButtonUp(UINT flags, CPoint point);
  virtual void OnRButtonUp(UINT flags, CPoint point);
  void OnMouseWheel(UINT flags, CPoint point);
  // On the worker: queues the result for the UI thread.
  void OnThumbGenerated(void* record, CString thumbPath, UINT width, UINT height);

 private:
  struct ThumbResult {
    ListItemData* record;
    CString path;
    CSize size;
  };

  void ArrangeChildren();
  void ArrangeChild(int index, CUIListItem* cell);
  void GetVisibleRange(int& first, int& end);
  int OnButtonClick(CUIControl* sender, void* param);
  void MakeToggleSelection(CUIListItem* cell);
  void MakeAnchorSelection(CUIListItem* cell, int clearOthers, int refresh);
  void MakeKeyboardSelection(UINT key);
  void RemoveFormFocus(int releaseCapture);
  void RemoveFormKeyFocus(CUIListItem* cell);
  CUIControl* GetParentTabItem();
  // Takes the cell out of the tree now and releases it once the current message is done.
  void DropCell(CUIListItem* cell);
  // Takes the record out of the data list; false when it was not there.
  bool TakeOut(ListItemData* record);
  void RefreshCellStatus();

  void StartMultiSelect(const CPoint& point);
  int IntersectsWithExtent(CRect rect);
  void StartTimer(int id, int interval);
  void StopTimer(int id);
  void OnMultiSelectedTimer(UINT id);
  void OnDragTimer(UINT id);
  // Ends a rubber band or drag: the cursor freed, the timers stopped.
  void EndMouseTracking();
  void ResetDrag();
  int GetDelay();
  int GetInterval();

  // On the UI thread: applies queued thumbnails and releases dropped cells.
  void OnUIThreadWake();
  void ApplyThumb(ListItemData* record, const CString& path, CSize size);
  void OnThumbGeneratedCompleted();

  std::unique_ptr<CSubControlResManager> m_pStyles;
  CRITICAL_SECTION m_listLock;
  int m_nFirst = 0;
  int m_nEnd = 0;
  int m_nSelectionMode = 2;
  int m_nMouseState = 0;
  CUIScrollBar* m_pScrollBar = nullptr;
  int m_bSupportDrag = 0;
  ListItemData* m_pDragItemData = nullptr;
  _ImageConfig m_dragImage;
  CRect m_rcDrag;
  CRect m_rcDropInsert;
  int m_nHorGap = 0;
  int m_nVerGap = 0;
  CSize m_extent;
  CSize m_viewport;
  CPoint m_offset;
  CPoint m_bandStart;
  CPoint m_bandEnd;
  ListItemData* m_pAnchorItemData = nullptr;
  ListItemData* m_pFocusItemData = nullptr;
  int m_nAutoScroll = 0;
  bool m_bCursorClipped = false;

  // Filled by the worker under the list lock, drained on the UI thread.
  std::vector<ThumbResult> m_thumbResults;
  bool m_bThumbsDone = false;
  std::vector<CUIListItem*> m_droppedCells;
  CUIThreadPost m_uiThread;
  ThumbManager m_thumbs;
};

}  // namespace UI
