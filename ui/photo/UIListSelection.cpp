// The photo list's selection by mouse and keyboard, removal of cells and
// records, the queries about its photos and the clicks inside its cells.
#include <algorithm>

#include "ui/UIForm.h"
#include "ui/controls/ControlEvents.h"
#include "ui/controls/UIPanel.h"
#include "ui/photo/ListItemData.h"
#include "ui/photo/UIList.h"
#include "ui/photo/UIListItem.h"
#include "ui/photo/UIPhotoEx.h"
#include "win32/KeyState.h"

namespace UI {

namespace {

bool Held(int key) { return ::GetKeyState(key) < 0; }

template <typename F>
void ForEachRecord(CPtrList& list, F&& f) {
  POSITION at = list.GetHeadPosition();
  while (at) {
    POSITION here = at;
    auto* record = static_cast<ListItemData*>(list.GetNext(at));
    f(record, here);
  }
}

}  // namespace

// --- primitives ---------------------------------------------------------------------------

void CUIList::SetItemSelected(CUIItemBase* cell, int selected) {
  if (!cell) return;
  if (selected) {
    if (!cell->GetSelected()) {
      if (m_nSelectionMode == 0) UnSelectAll();
      cell->SetSelected(TRUE);
      m_pSelectedItem = cell;
      m_nSelectedIndex = GetItemIndexFromItem(cell);
    }
  } else if (cell->GetSelected()) {
    cell->SetSelected(FALSE);
  }
  OnSelectedChanged();
}

void CUIList::MakeSelection(CUIListItem* cell, int refresh) {
  if (!cell || cell->GetParentList() != this) return;
  SetItemSelected(cell, !cell->GetSelected());
  UpdateAnchorItemData(cell->GetRecord());
  if (refresh) Refresh(FALSE, nullptr);
}

void CUIList::MakeToggleSelection(CUIListItem* cell) {
  if (!cell || cell->GetParentList() != this) return;
  SetItemSelected(cell, !cell->GetSelected());
  m_pAnchorItemData = m_pFocusItemData = cell->GetRecord();
  if (m_pAnchorItemData) MakeVisible(m_pAnchorItemData);
}

void CUIList::UpdateAnchorItemData(ListItemData* record) {
  m_pAnchorItemData = m_pFocusItemData = record;
  if (record) MakeVisible(record);
}

void CUIList::RefreshCellStatus() {
  for (int c = 1; c < GetChildCount(); ++c) {
    auto* cell = dynamic_cast<CUIListItem*>(GetChild(c));
    if (cell && cell->GetRecord()) cell->SetPhotoSelected(cell->GetRecord()->m_bSelected);
  }
}

void CUIList::MakeAnchorSelection(CUIListItem* cell, int clearOthers, int refresh) {
  if (!cell) return;
  if (!m_pAnchorItemData && GetDataCount() > 0) m_pAnchorItemData = dynamic_cast<ListItemData*>(GetDataFromIndex(m_nFirst));
  if (!m_pAnchorItemData) return;
  int a = GetDataIndexFromData(m_pAnchorItemData), b = GetDataIndexFromData(cell->GetRecord());
  if (a < 0 || b < 0) return;
  if (a > b) std::swap(a, b);
  int i = 0;
  ForEachRecord(m_dataList, [&](ListItemData* record, POSITION) {
    if (i >= a && i <= b) {
      record->m_bSelected = 1;
    } else if (clearOthers) {
      record->m_bSelected = 0;
    }
    ++i;
  });
  RefreshCellStatus();
  MakeVisible(cell->GetRecord());
  if (refresh) Refresh(FALSE, nullptr);
}

void CUIList::SelectAll(int refresh) {
  if (m_nSelectionMode == 0) return;
  ForEachRecord(m_dataList, [&](ListItemData* record, POSITION) {
    if (record->m_bSelected) return;
    if (auto* cell = dynamic_cast<CUIListItem*>(GetItemFromData(record))) {
      cell->SetSelected(TRUE);
    } else {
      record->m_bSelected = 1;
    }
  });
  OnSelectedChanged();
  if (refresh) Refresh(FALSE, nullptr);
}

void CUIList::UnSelectSelection(CPtrList* records) {
  if (!records) return;
  ForEachRecord(*records, [&](ListItemData* record, POSITION) {
    if (!record->m_bSelected) return;
    if (auto* cell = dynamic_cast<CUIListItem*>(GetItemFromData(record))) {
      cell->SetSelected(FALSE);
    } else {
      record->m_bSelected = 0;
    }
  });
  m_pAnchorItemData = m_pFocusItemData = nullptr;
}

void CUIList::UnSelectAll() {
  UnSelectSelection(&m_dataList);
  Refresh(FALSE, nullptr);
}

// --- clicks and keys --------------------------------------------------------------------------

void CUIList::ListenItemClicked(CUIListItem* cell, UINT button) {
  if (!cell) return;
  const bool shift = Held(VK_SHIFT), ctrl = Held(VK_CONTROL);
  switch (m_nSelectionMode) {
    case 0:
      if (!cell->GetSelected()) {
        SetItemSelected(cell, TRUE);
        UpdateAnchorItemData(cell->GetRecord());
      }
      break;
    case 1:
      MakeToggleSelection(cell);
      break;
    default:
      if (button == 0) {
        if (shift && ctrl) {
          MakeAnchorSelection(cell, FALSE, FALSE);
        } else if (ctrl) {
          MakeToggleSelection(cell);
        } else if (shift) {
          MakeAnchorSelection(cell, TRUE, FALSE);
        } else {
          MakeSelection(cell, TRUE);
        }
      } else if (!shift && !ctrl) {
        if (!cell->GetSelected()) {
          MakeSelection(cell, TRUE);
        } else {
          UpdateAnchorItemData(cell->GetRecord());
        }
      }
      break;
  }
  Refresh(FALSE, nullptr);
}

BOOL CUIList::OnKeyMessage(UINT message, UINT key, UINT, UINT) {
  if (message != WM_KEYDOWN) return 0;
  if (Held(VK_CONTROL)) {
    if (key != 'A') return 0;
    SelectAll(TRUE);
    return 1;
  }
  switch (key) {
    case VK_HOME:
      SetVerticalOffset(0);
      return 1;
    case VK_END:
      SetVerticalOffset(m_extent.cy - m_viewport.cy);
      return 1;
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
      MakeKeyboardSelection(key);
      return 1;
    case VK_DELETE:
      DeleteAllSelectedItems();
      return 1;
    default:
      return 0;
  }
}

void CUIList::MakeKeyboardSelection(UINT key) {
  const int n = GetDataCount();
  const bool shift = Held(VK_SHIFT), ctrl = Held(VK_CONTROL);
  int target;
  if (!m_pAnchorItemData) {
    if (n > 0) m_pAnchorItemData = m_pFocusItemData = dynamic_cast<ListItemData*>(GetDataFromIndex(m_nFirst));
    if (!m_pAnchorItemData) return;
    target = m_nFirst;
  } else {
    const int k = CalculatePerRowOrColumn(m_viewport);
    const int orig = GetDataIndexFromData(shift ? m_pFocusItemData : m_pAnchorItemData);
    int idx = orig;
    const bool hor = IsScollBarHor();
    auto byLine = [&](int step) {
      if (step < 0) return idx - k < 0 ? orig : idx - k;
      if (idx + k >= n) return k == n ? orig + 1 : n - 1;
      return idx + k;
    };
    switch (key) {
      case VK_LEFT: idx = hor ? byLine(-1) : idx - 1; break;
      case VK_UP: idx = hor ? idx - 1 : byLine(-1); break;
      case VK_RIGHT: idx = hor ? byLine(1) : idx + 1; break;
      case VK_DOWN: idx = hor ? idx + 1 : byLine(1); break;
      default: break;
    }
    target = std::clamp(idx, 0, std::max(n - 1, 0));
  }
  auto* record = dynamic_cast<ListItemData*>(GetDataFromIndex(target));
  auto* cell = record ? dynamic_cast<CUIListItem*>(GetItemFromData(record)) : nullptr;
  if (!cell) return;
  m_pFocusItemData = record;
  switch (m_nSelectionMode) {
    case 0:
      MakeSelection(cell, TRUE);
      OnSelectedChanged();
      break;
    case 1:
      MakeSelection(cell, TRUE);
      break;
    default:
      if (shift) {
        MakeAnchorSelection(cell, ctrl ? FALSE : TRUE, TRUE);
      } else if (!ctrl) {
        MakeSelection(cell, TRUE);
      }
      break;
  }
}

// --- removal ------------------------------------------------------------------------------

void CUIList::RemoveFormFocus(int releaseCapture) {
  if (!m_pOwnerForm) return;
  if (releaseCapture) ReleaseMouseCapture();
  m_pOwnerForm->SetMouseFocusControl(nullptr);
}

void CUIList::RemoveFormKeyFocus(CUIListItem* cell) {
  if (!m_pOwnerForm || !cell) return;
  for (CUIControl* c = m_pOwnerForm->GetKeyFocusControl(); c; c = c->GetParent()) {
    if (c == cell) {
      m_pOwnerForm->SetKeyFocusControl(nullptr);
      return;
    }
    if (c == c->GetParent()) break;
  }
}

bool CUIList::TakeOut(ListItemData* record) {
  POSITION at = m_dataList.Find(record);
  if (!at || !OnRemoveItemData(record)) return false;
  m_dataList.RemoveAt(at);
  return true;
}

int CUIList::RemoveItem(int childIndex, int deleteRecord) {
  if (childIndex < 1 || childIndex >= GetChildCount()) return 0;
  auto* cell = dynamic_cast<CUIListItem*>(GetChild(childIndex));
  if (!cell) return 0;
  RemoveItem(cell, deleteRecord);
  return 1;
}

int CUIList::RemoveItem(CUIListItem* cell, int deleteRecord) {
  if (!cell) return 0;
  RemoveFormFocus(deleteRecord);
  RemoveFormKeyFocus(cell);
  if (m_pSelectedItem == cell) {
    m_pSelectedItem = nullptr;
    m_nSelectedIndex = -1;
  }
  ListItemData* record = cell->GetRecord();
  DropCell(cell);
  if (!record) return 1;
  if (deleteRecord) {
    if (m_pAnchorItemData == record) m_pAnchorItemData = m_pFocusItemData = nullptr;
    if (m_pDragItemData == record) m_pDragItemData = nullptr;
    if (TakeOut(record)) delete record;
    MeasureItems();
    FirePhotoCountEvent(TRUE);
    OnSelectedChanged();
  } else {
    record->m_bNeedReCreate = 1;
  }
  return 1;
}

int CUIList::RemoveItem(ListItemData* record, int rearrange) {
  RemoveFormFocus(TRUE);
  if (!record) return 0;
  // Only a record this list holds is deleted; any other stays its owner's.
  if (!m_dataList.Find(record)) return 0;
  auto* cell = dynamic_cast<CUIListItem*>(GetItemFromData(record));
  if (cell) {
    RemoveFormKeyFocus(cell);
    if (m_pSelectedItem == cell) {
      m_pSelectedItem = nullptr;
      m_nSelectedIndex = -1;
    }
  }
  if (!TakeOut(record)) return 0;
  if (m_pAnchorItemData == record) m_pAnchorItemData = m_pFocusItemData = nullptr;
  if (m_pDragItemData == record) m_pDragItemData = nullptr;
  if (cell) DropCell(cell);
  delete record;
  if (rearrange) MeasureItems();
  FirePhotoCountEvent(TRUE);
  return 1;
}

void CUIList::DeleteAllSelectedItems() {
  RemoveFormFocus(TRUE);
  POSITION at = m_dataList.GetHeadPosition();
  while (at) {
    POSITION here = at;
    auto* record = static_cast<ListItemData*>(m_dataList.GetNext(at));
    if (!record->m_bSelected) continue;
    if (record == m_pAnchorItemData) {
      m_pAnchorItemData = m_pFocusItemData = at ? static_cast<ListItemData*>(m_dataList.GetAt(at)) : nullptr;
    }
    if (!OnRemoveItemData(record)) continue;
    m_dataList.RemoveAt(here);
    if (auto* cell = dynamic_cast<CUIListItem*>(GetItemFromData(record))) {
      if (m_pSelectedItem == cell) {
        m_pSelectedItem = nullptr;
        m_nSelectedIndex = -1;
      }
      RemoveFormKeyFocus(cell);
      DropCell(cell);
    }
    if (m_pDragItemData == record) m_pDragItemData = nullptr;
    delete record;
  }
  if (m_pAnchorItemData) MakeVisible(m_pAnchorItemData);
  MeasureItems();
  FirePhotoCountEvent(TRUE);
  OnSelectedChanged();
}

void CUIList::DeleteAlltems() {
  if (GetDataCount() == 0) return;
  RemoveFormFocus(TRUE);
  for (int c = GetChildCount() - 1; c >= 1; --c) {
    if (auto* cell = dynamic_cast<CUIListItem*>(GetChild(c))) {
      RemoveFormKeyFocus(cell);
      DropCell(cell);
    }
  }
  m_pSelectedItem = nullptr;
  m_nSelectedIndex = -1;
  m_pAnchorItemData = m_pFocusItemData = m_pDragItemData = nullptr;
  POSITION at = m_dataList.GetHeadPosition();
  while (at) {
    POSITION here = at;
    auto* record = static_cast<ListItemData*>(m_dataList.GetNext(at));
    if (!OnRemoveItemData(record)) continue;
    m_dataList.RemoveAt(here);
    delete record;
  }
  MeasureItems();
  FirePhotoCountEvent(TRUE);
  OnSelectedChanged();
}

void CUIList::DeletePixNotEnoughItems(CPtrList& records) {
  if (records.IsEmpty()) return;
  RemoveFormFocus(TRUE);
  ForEachRecord(records, [&](ListItemData* record, POSITION) {
    if (!record->m_bPixNotEnough || !m_dataList.Find(record)) return;
    auto* cell = dynamic_cast<CUIListItem*>(GetItemFromData(record));
    if (!TakeOut(record)) return;
    if (cell) {
      if (m_pSelectedItem == cell) {
        m_pSelectedItem = nullptr;
        m_nSelectedIndex = -1;
      }
      RemoveFormKeyFocus(cell);
      DropCell(cell);
    }
    if (m_pAnchorItemData == record) m_pAnchorItemData = m_pFocusItemData = nullptr;
    if (m_pDragItemData == record) m_pDragItemData = nullptr;
    delete record;
  });
  records.RemoveAll();
  MeasureItems();
  FirePhotoCountEvent(TRUE);
}

// --- queries --------------------------------------------------------------------------------

CUIItemBase* CUIList::GetItemFromIndex(int childIndex) {
  if (childIndex < 1 || childIndex >= GetChildCount()) return nullptr;
  return dynamic_cast<CUIItemBase*>(GetChild(childIndex));
}

CUIListItem* CUIList::GetItemUnderPoint(const CPoint& p) {
  for (int c = 1; c < GetChildCount(); ++c) {
    auto* cell = dynamic_cast<CUIListItem*>(GetChild(c));
    if (!cell || !cell->GetMainPanel()) continue;
    if (cell->GetMainPanel()->GetBounds().PtInRect(p)) return cell;
  }
  return nullptr;
}

int CUIList::IsItemDataExist(ItemBaseData* data) {
  auto* record = dynamic_cast<ListItemData*>(data);
  if (!record) return 1;
  return GetItemDataFromPath(record->GetOriPath()) ? 1 : 0;
}

int CUIList::IsItemDataExist(CString path) {
  int count = 0;
  ForEachRecord(m_dataList, [&](ListItemData* record, POSITION) {
    if (record->GetOriPath().CompareNoCase(path) == 0) count = record->m_nPrintCount;
  });
  return count;
}

ListItemData* CUIList::GetItemDataFromPath(CString path) {
  if (path.IsEmpty()) return nullptr;
  ListItemData* found = nullptr;
  ForEachRecord(m_dataList, [&](ListItemData* record, POSITION) {
    if (!found && record->GetOriPath().CompareNoCase(path) == 0) found = record;
  });
  return found;
}

int CUIList::GetSelectedItemsPath(CList<CString, CString&>& out) {
  out.RemoveAll();
  int count = 0;
  ForEachRecord(m_dataList, [&](ListItemData* record, POSITION) {
    if (!record->m_bSelected) return;
    CString path = record->GetOriPath();
    out.AddTail(path);
    ++count;
  });
  return count;
}

int CUIList::GetPixNotEnoughItems(CPtrList& out) {
  ForEachRecord(m_dataList, [&](ListItemData* record, POSITION) {
    if (record->m_bPixNotEnough) out.AddTail(record);
  });
  return static_cast<int>(out.GetCount());
}

int CUIList::GetAnormalItems(CPtrList& out) {
  ForEachRecord(m_dataList, [&](ListItemData* record, POSITION) {
    if (record->m_bPixNotEnough || record->m_pClipData->m_bClip || record->m_pClipData->m_bPreserve) {
      out.AddTail(record);
    }
  });
  return static_cast<int>(out.GetCount());
}

CUIControl* CUIList::GetParentTabItem() {
  for (CUIControl* c = GetParent(), *last = this; c && c != last; last = c, c = c->GetParent()) {
    if (c->GetType().CompareNoCase(L"CUITabItem") == 0) return c;
  }
  return nullptr;
}

void CUIList::SetItemData(ListItemData* record, int count) {
  if (!record) return;
  if (auto* cell = dynamic_cast<CUIListItem*>(GetItemFromData(record))) {
    cell->SetPhotoCount(count);
  } else {
    record->m_nPrintCount = count;
  }
}

int CUIList::GetPhotoCount() {
  int total = 0;
  ForEachRecord(m_dataList, [&](ListItemData* record, POSITION) { total += record->m_nPrintCount; });
  return total;
}

void CUIList::FirePhotoCountEvent(int fire) {
  if (IsEnabled() && fire) DispatchEvent(this, kPhotoCountEvent, reinterpret_cast<void*>(static_cast<intptr_t>(GetPhotoCount())));
}

int CUIList::OnButtonClick(CUIControl* sender, void* param) {
  auto* cell = dynamic_cast<CUIListItem*>(sender);
  auto* clicked = static_cast<CUIControl*>(param);
  if (!sender || !clicked) return 1;
  const CString id = clicked->GetObjectID();
  auto is = [&](const wchar_t* name) { return id.CompareNoCase(name) == 0; };
  if (is(L"downNumButton") || is(L"UpNumButton")) {
    if (cell) cell->AddPrintNum(is(L"UpNumButton") ? 1 : -1);
    FirePhotoCountEvent(TRUE);
    return 1;
  }
  if (is(L"DeleteButton")) {
    if (cell) RemoveItem(cell, TRUE);
    return 1;
  }
  if (is(L"modifyInchLabel")) {
    if (CUIControl* parent = GetParent(); parent && parent != this) parent->DispatchEvent(sender, kPrintSizeEvent, clicked);
    FirePhotoCountEvent(TRUE);
    return 1;
  }
  if (is(L"numberEdit")) {
    FirePhotoCountEvent(TRUE);
    return 1;
  }
  for (const wchar_t* passing :
       {L"EditButton", L"PreviewButton", L"ManualClipButton", L"PreserveFlagPhoto", L"ClippedFlagPhoto"}) {
    if (is(passing)) return 0;
  }
  return 1;
}

}  // namespace UI
