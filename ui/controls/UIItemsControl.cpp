#include "ui/controls/UIItemsControl.h"

#include "ui/controls/ControlEvents.h"
#include "ui/controls/ItemsControlConfig.h"
#include "win32/KeyState.h"

namespace UI {

// --- entries and items -------------------------------------------------------------

void ItemBaseData::Copy(ItemBaseData* source) {
  if (!source || source == this) return;
  m_bSelected = source->m_bSelected;
  m_itemSize = source->m_itemSize;
  m_bNeedReCreate = source->m_bNeedReCreate;
}

ItemBaseData* ItemBaseData::Clone() {
  auto* copy = new ItemBaseData;
  copy->Copy(this);
  return copy;
}

int CUIItemBase::GetSelected() { return m_pItemData ? m_pItemData->m_bSelected : 0; }

void CUIItemBase::SetSelected(int selected) {
  if (m_pItemData) m_pItemData->m_bSelected = selected;
}

CSize CUIItemBase::GetItemSize() { return m_pItemData ? m_pItemData->m_itemSize : CSize(0, 0); }

void CUIItemBase::SetItemSize(CSize size) {
  if (m_pItemData) m_pItemData->m_itemSize = size;
}

CSubControlResManager::~CSubControlResManager() {
  for (auto& [name, config] : m_configs) config->Release();
}

void CSubControlResManager::AddConfig(CString name, _SkinConfig* config) {
  auto found = m_configs.find(name);
  if (found != m_configs.end()) {
    if (found->second == config) return;
    found->second->Release();
    found->second = config;
  } else {
    m_configs.emplace(name, config);
  }
}

int CSubControlResManager::IsConfigExist(CString name) const { return m_configs.count(name) ? 1 : 0; }

_SkinConfig* CSubControlResManager::GetItemConfig(CString name) const {
  auto found = m_configs.find(name);
  return found == m_configs.end() ? nullptr : found->second;
}

// --- data ---------------------------------------------------------------------------

CUIItemsControl::~CUIItemsControl() { ClearAllData(); }

int CUIItemsControl::AddItemData(ItemBaseData* data) {
  const int before = GetDataCount();
  if (data && IsItemDataExist(data) != 1 && OnAddItemData(data)) {
    m_dataList.AddTail(data);
    return GetDataCount();
  }
  delete data;
  return before;
}

void CUIItemsControl::InsertItemData(ItemBaseData* data, int index) {
  if (!data || !OnAddItemData(data)) return;
  POSITION at = index >= 0 ? m_dataList.FindIndex(index) : nullptr;
  if (at) {
    m_dataList.InsertBefore(at, data);
  } else {
    m_dataList.AddTail(data);
  }
}

void CUIItemsControl::InsertItemDataAfter(ItemBaseData* data, int index) {
  if (!data || !OnAddItemData(data)) return;
  POSITION at = index >= 0 ? m_dataList.FindIndex(index) : nullptr;
  if (at) {
    m_dataList.InsertAfter(at, data);
  } else {
    m_dataList.AddTail(data);
  }
}

void CUIItemsControl::RemoveEntry(POSITION at) {
  if (!at) return;
  auto* entry = static_cast<ItemBaseData*>(m_dataList.GetAt(at));
  if (OnRemoveItemData(entry)) m_dataList.RemoveAt(at);
}

void CUIItemsControl::RemoveItemData(ItemBaseData* data) {
  if (data) RemoveEntry(m_dataList.Find(data));
}

void CUIItemsControl::RemoveItemData(int index) {
  if (index >= 0) RemoveEntry(m_dataList.FindIndex(index));
}

void CUIItemsControl::ClearAllData() {
  POSITION at = m_dataList.GetHeadPosition();
  while (at) delete static_cast<ItemBaseData*>(m_dataList.GetNext(at));
  m_dataList.RemoveAll();
}

void CUIItemsControl::DeleteAlltems() {
  RemoveAllControlFromMap();
  // The selected item went with the children; its index stays so that the
  // next layout can select the row at the same place again.
  m_pSelectedItem = nullptr;
  ClearAllData();
}

int CUIItemsControl::GetAllItems(CPtrList& out) {
  out.RemoveAll();
  out.AddTail(&m_dataList);
  return static_cast<int>(out.GetCount());
}

// --- selection -------------------------------------------------------------------------

void CUIItemsControl::SetItemSelected(CUIItemBase* item, int) {
  if (!item || item->GetSelected()) return;
  UnSelectAll();
  item->SetSelected(1);
  m_pSelectedItem = item;
  m_nSelectedIndex = GetItemIndexFromItem(item);
  OnSelectedChanged();
}

void CUIItemsControl::UnSelectAll() {
  for (int i = 0; i < GetItemsCount(); ++i) {
    CUIItemBase* item = GetItemFromIndex(i);
    if (item && item->GetSelected() == 1) item->SetSelected(0);
  }
}

void CUIItemsControl::SetSelected(int childIndex) {
  if (childIndex < 0 || childIndex >= GetChildCount()) return;
  m_nSelectedIndex = childIndex;
  if (CUIItemBase* item = GetItemFromIndex(childIndex)) SetItemSelected(item, 1);
}

ItemBaseData* CUIItemsControl::GetSelected() {
  POSITION at = m_dataList.GetHeadPosition();
  while (at) {
    auto* entry = static_cast<ItemBaseData*>(m_dataList.GetNext(at));
    if (entry->m_bSelected) return entry;
  }
  return nullptr;
}

int CUIItemsControl::GetSelectedCount() {
  int count = 0;
  POSITION at = m_dataList.GetHeadPosition();
  while (at) count += static_cast<ItemBaseData*>(m_dataList.GetNext(at))->m_bSelected ? 1 : 0;
  return count;
}

int CUIItemsControl::GetSelectedItems(CPtrList& out) {
  out.RemoveAll();
  POSITION at = m_dataList.GetHeadPosition();
  while (at) {
    auto* entry = static_cast<ItemBaseData*>(m_dataList.GetNext(at));
    if (entry->m_bSelected) out.AddTail(entry);
  }
  return static_cast<int>(out.GetCount());
}

void CUIItemsControl::SetAllDataNeedReCreate(int flag) {
  POSITION at = m_dataList.GetHeadPosition();
  while (at) static_cast<ItemBaseData*>(m_dataList.GetNext(at))->m_bNeedReCreate = flag;
}

void CUIItemsControl::OnSelectedChanged() { FireEvent(kChangedEvent, this); }

// --- look-ups -----------------------------------------------------------------------------

ItemBaseData* CUIItemsControl::GetDataFromIndex(int dataIndex) {
  if (dataIndex < 0 || dataIndex >= GetDataCount()) return nullptr;
  return static_cast<ItemBaseData*>(m_dataList.GetAt(m_dataList.FindIndex(dataIndex)));
}

CUIItemBase* CUIItemsControl::GetItemFromData(ItemBaseData* data) {
  const int index = GetItemIndexFromData(data);
  return index < 0 ? nullptr : dynamic_cast<CUIItemBase*>(GetChild(index));
}

int CUIItemsControl::GetItemIndexFromData(ItemBaseData* data) {
  if (!data) return -1;
  for (int i = 0; i < GetChildCount(); ++i) {
    auto* item = dynamic_cast<CUIItemBase*>(GetChild(i));
    if (item && item->GetItemData() == data) return i;
  }
  return -1;
}

CUIItemBase* CUIItemsControl::GetItemFromDataIndex(int dataIndex) { return GetItemFromData(GetDataFromIndex(dataIndex)); }

int CUIItemsControl::GetItemIndexFromDataIndex(int dataIndex) {
  return GetItemIndexFromData(GetDataFromIndex(dataIndex));
}

int CUIItemsControl::GetItemIndexFromItem(CUIItemBase* item) {
  if (!item) return -1;
  for (int i = 0; i < GetItemsCount(); ++i) {
    if (GetItemFromIndex(i) == item) return i;
  }
  return -1;
}

int CUIItemsControl::GetDataIndexFromControlIndex(int childIndex) {
  auto* item = dynamic_cast<CUIItemBase*>(GetChild(childIndex));
  return item ? GetDataIndexFromData(item->GetItemData()) : -1;
}

int CUIItemsControl::GetDataIndexFromData(ItemBaseData* data) {
  if (!data) return -1;
  int index = 0;
  POSITION at = m_dataList.GetHeadPosition();
  while (at) {
    if (m_dataList.GetNext(at) == data) return index;
    ++index;
  }
  return -1;
}

CUIItemBase* CUIItemsControl::GetItemFromIndex(int childIndex) {
  if (childIndex < 0 || childIndex >= GetItemsCount()) return nullptr;
  return dynamic_cast<CUIItemBase*>(GetChild(childIndex));
}

CSize CUIItemsControl::GetItemSize() {
  auto* config = dynamic_cast<_ItemsControlConfig*>(GetSkinConfig(L""));
  return config ? config->m_itemSize : CSize(0, 0);
}

unsigned CUIItemsControl::MapKeyState() {
  unsigned state = 0;
  if (::GetKeyState(VK_RBUTTON) < 0) state |= 0x01;
  if (::GetKeyState(VK_LBUTTON) < 0) state |= 0x02;
  if (::GetKeyState(VK_SHIFT) < 0) state |= 0x04;
  if (::GetKeyState(VK_CONTROL) < 0) state |= 0x08;
  if (::GetKeyState(VK_MENU) < 0) state |= 0x20;
  return state;
}

}  // namespace UI
