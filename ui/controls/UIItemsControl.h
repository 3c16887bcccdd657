#pragma once
// The base of list-like controls. The application hands over data entries
// (ItemBaseData and subclasses), which the control owns; a subclass creates one
// item control per entry when it lays itself out and keeps them as its
// children. The base keeps a single selection: the entries' selected flags and
// the selected item with its child index. UI thread only.
#include <map>

#include "ui/UIControl.h"

namespace UI {

class ItemBaseData {
 public:
  ItemBaseData() = default;
  ItemBaseData(const ItemBaseData& other) { ItemBaseData::Copy(const_cast<ItemBaseData*>(&other)); }
  ItemBaseData& operator=(const ItemBaseData& other) {
    ItemBaseData::Copy(const_cast<ItemBaseData*>(&other));
    return *this;
  }
  virtual ~ItemBaseData() = default;
  virtual void Copy(ItemBaseData* source);
  virtual ItemBaseData* Clone();

  int m_bSelected = 0;
  CSize m_itemSize;
  // Set while the entry needs a (new) item control.
  int m_bNeedReCreate = 1;
};

// An item control: its selected flag and size live in its data entry, so an
// entry keeps its selection when its control is made again.
class CUIItemBase : public CUIControl {
 public:
  virtual int GetSelected();
  virtual void SetSelected(int selected);
  virtual CSize GetItemSize();
  // Called once the items control has made and registered the item.
  virtual void CreateSubControl() {}

  ItemBaseData* GetItemData() const { return m_pItemData; }
  void SetItemData(ItemBaseData* data) { m_pItemData = data; }
  void SetItemSize(CSize size);

 protected:
  CUIItemBase() = default;

  ItemBaseData* m_pItemData = nullptr;  // owned by the items control
};

class _SkinConfig;

// Style records that the items of one list share, by name; the store owns them.
class CSubControlResManager {
 public:
  CSubControlResManager() = default;
  CSubControlResManager(const CSubControlResManager&) = delete;
  CSubControlResManager& operator=(const CSubControlResManager&) = delete;
  virtual ~CSubControlResManager();
  virtual void Release() { delete this; }

  // Takes the record; one stored under the name is released.
  void AddConfig(CString name, _SkinConfig* config);
  int IsConfigExist(CString name) const;
  _SkinConfig* GetItemConfig(CString name) const;

 private:
  std::map<CString, _SkinConfig*> m_configs;
};

class CUIItemsControl : public CUIControl {
 public:
  // Deletes every entry.
  ~CUIItemsControl() override;

  virtual int GetItemsCount() { return GetChildCount(); }
  virtual int GetDataCount() { return static_cast<int>(m_dataList.GetCount()); }
  // Releases every child and deletes every entry; the selected item is gone
  // with its child (the index stays for the next layout).
  virtual void DeleteAlltems();
  virtual int GetSelectedItems(CPtrList& out);
  virtual void SetSelected(int childIndex);
  virtual void SetAllDataNeedReCreate(int flag);
  virtual void SetItemSelected(CUIItemBase* item, int selected);
  virtual void UnSelectAll();
  virtual CUIItemBase* GetSelectedItem() { return m_pSelectedItem; }
  virtual int GetSelectedItemIndex() { return m_nSelectedIndex; }
  virtual int IsItemDataExist(ItemBaseData*) { return 0; }
  virtual CUIItemBase* GetItemFromIndex(int childIndex);
  virtual CSize GetItemSize();
  virtual int GeneraterControl() { return 1; }
  virtual int OnAddItemData(ItemBaseData*) { return 1; }
  virtual int OnRemoveItemData(ItemBaseData*) { return 1; }
  // Event 2 from this control.
  virtual void OnSelectedChanged();

  // Takes the entry (a refused or duplicate one is deleted); the new count.
  int AddItemData(ItemBaseData* data);
  // A refused entry stays the caller's; a bad index appends.
  void InsertItemData(ItemBaseData* data, int index);
  void InsertItemDataAfter(ItemBaseData* data, int index);
  // Unlinks the entry, which is the caller's again; its item stays.
  void RemoveItemData(ItemBaseData* data);
  void RemoveItemData(int index);
  void ClearAllData();
  int GetAllItems(CPtrList& out);

  ItemBaseData* GetSelected();
  int GetSelectedCount();

  ItemBaseData* GetDataFromIndex(int dataIndex);
  CUIItemBase* GetItemFromData(ItemBaseData* data);
  CUIItemBase* GetItemFromDataIndex(int dataIndex);
  int GetItemIndexFromData(ItemBaseData* data);
  int GetItemIndexFromItem(CUIItemBase* item);
  int GetItemIndexFromDataIndex(int dataIndex);
  int GetDataIndexFromControlIndex(int childIndex);
  int GetDataIndexFromData(ItemBaseData* data);

  // Bits: 0x01 right button, 0x02 left button, 0x04 Shift, 0x08 Ctrl, 0x20 Alt.
  static unsigned MapKeyState();

 protected:
  CUIItemsControl() = default;
  void RemoveEntry(POSITION at);

  CPtrList m_dataList;
  CUIItemBase* m_pSelectedItem = nullptr;
  int m_nSelectedIndex = -1;
};

}  // namespace UI
