#include "win32/Menu.h"

#include <cwchar>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "win32/WinError.h"

namespace {

struct MenuItem {
  UINT type = MFT_STRING;
  UINT state = MFS_ENABLED;
  UINT id = 0;
  HMENU subMenu = nullptr;
  HBITMAP bitmap = nullptr;
  ULONG_PTR data = 0;
  std::wstring text;
};

struct MenuData {
  bool popup = false;
  std::vector<MenuItem> items;
};

struct MenuTable {
  std::mutex lock;
  std::map<HMENU, std::unique_ptr<MenuData>> menus;
};

MenuTable& Menus() {
  static MenuTable* table = new MenuTable;  // lives until process end
  return *table;
}

// With the table's lock held.
MenuData* Find(MenuTable& table, HMENU menu) {
  auto it = table.menus.find(menu);
  if (it == table.menus.end()) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return nullptr;
  }
  return it->second.get();
}

// The index of an item by position or by command id (searching submenus too:
// the menu that holds it comes back in `owner`); -1 when there is none.
int Locate(MenuTable& table, MenuData*& owner, UINT item, bool byPosition) {
  if (byPosition) return item < owner->items.size() ? static_cast<int>(item) : -1;
  for (size_t i = 0; i < owner->items.size(); ++i) {
    if (!owner->items[i].subMenu && owner->items[i].id == item) return static_cast<int>(i);
  }
  for (auto& candidate : owner->items) {
    if (!candidate.subMenu) continue;
    MenuData* sub = Find(table, candidate.subMenu);
    if (!sub) continue;
    int found = Locate(table, sub, item, false);
    if (found >= 0) {
      owner = sub;
      return found;
    }
  }
  return -1;
}

void DestroyLocked(MenuTable& table, HMENU menu) {
  auto it = table.menus.find(menu);
  if (it == table.menus.end()) return;
  std::unique_ptr<MenuData> data = std::move(it->second);
  table.menus.erase(it);
  for (auto& item : data->items) {
    if (item.subMenu) DestroyLocked(table, item.subMenu);
  }
}

HMENU Create(bool popup) {
  MenuTable& table = Menus();
  std::lock_guard guard(table.lock);
  auto data = std::make_unique<MenuData>();
  data->popup = popup;
  HMENU handle = reinterpret_cast<HMENU>(data.get());
  table.menus[handle] = std::move(data);
  return handle;
}

BOOL Insert(HMENU menu, UINT position, bool byPosition, MenuItem item) {
  MenuTable& table = Menus();
  std::lock_guard guard(table.lock);
  MenuData* data = Find(table, menu);
  if (!data) return FALSE;
  if (item.subMenu && !Find(table, item.subMenu)) return FALSE;
  size_t at = data->items.size();
  if (byPosition) {
    if (position < at) at = position;
  } else {
    int found = Locate(table, data, position, false);
    if (found >= 0) at = static_cast<size_t>(found);
  }
  data->items.insert(data->items.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
  return TRUE;
}

MenuItem FromFlags(UINT flags, UINT_PTR idOrSubMenu, LPCWSTR text) {
  MenuItem item;
  item.type = flags & (MF_SEPARATOR | MF_BITMAP | MF_OWNERDRAW);
  item.state = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED);
  if (flags & MF_POPUP) {
    item.subMenu = reinterpret_cast<HMENU>(idOrSubMenu);
  } else {
    item.id = static_cast<UINT>(idOrSubMenu);
  }
  if (!(flags & (MF_SEPARATOR | MF_BITMAP | MF_OWNERDRAW)) && text) item.text = text;
  return item;
}

BOOL Remove(HMENU menu, UINT item, UINT flags, bool destroy) {
  MenuTable& table = Menus();
  std::lock_guard guard(table.lock);
  MenuData* data = Find(table, menu);
  if (!data) return FALSE;
  int index = Locate(table, data, item, flags & MF_BYPOSITION);
  if (index < 0) {
    SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
    return FALSE;
  }
  HMENU sub = data->items[static_cast<size_t>(index)].subMenu;
  data->items.erase(data->items.begin() + index);
  if (destroy && sub) DestroyLocked(table, sub);
  return TRUE;
}

}  // namespace

HMENU CreateMenu() { return Create(false); }
HMENU CreatePopupMenu() { return Create(true); }

BOOL DestroyMenu(HMENU menu) {
  MenuTable& table = Menus();
  std::lock_guard guard(table.lock);
  if (!Find(table, menu)) return FALSE;
  DestroyLocked(table, menu);
  return TRUE;
}

BOOL IsMenu(HMENU menu) {
  MenuTable& table = Menus();
  std::lock_guard guard(table.lock);
  return table.menus.count(menu) ? TRUE : FALSE;
}

BOOL InsertMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR idOrSubMenu, LPCWSTR text) {
  return Insert(menu, position, flags & MF_BYPOSITION, FromFlags(flags, idOrSubMenu, text));
}

BOOL AppendMenuW(HMENU menu, UINT flags, UINT_PTR idOrSubMenu, LPCWSTR text) {
  return Insert(menu, static_cast<UINT>(-1), true, FromFlags(flags, idOrSubMenu, text));
}

BOOL InsertMenuItemW(HMENU menu, UINT position, BOOL byPosition, LPCMENUITEMINFOW info) {
  if (!info || info->cbSize < sizeof(MENUITEMINFOW)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  MenuItem item;
  UINT mask = info->fMask;
  if (mask & (MIIM_FTYPE | MIIM_TYPE)) item.type = info->fType & (MFT_SEPARATOR | MFT_BITMAP | MFT_OWNERDRAW);
  if (mask & MIIM_STATE) item.state = info->fState;
  if (mask & MIIM_ID) item.id = info->wID;
  if (mask & MIIM_SUBMENU) item.subMenu = info->hSubMenu;
  if (mask & MIIM_DATA) item.data = info->dwItemData;
  if (mask & MIIM_BITMAP) item.bitmap = info->hbmpItem;
  bool textGiven = (mask & MIIM_STRING) || ((mask & MIIM_TYPE) && !(info->fType & (MFT_SEPARATOR | MFT_BITMAP)));
  if (textGiven && info->dwTypeData) item.text = info->dwTypeData;
  return Insert(menu, position, byPosition, std::move(item));
}

BOOL GetMenuItemInfoW(HMENU menu, UINT position, BOOL byPosition, LPMENUITEMINFOW info) {
  if (!info || info->cbSize < sizeof(MENUITEMINFOW)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  MenuTable& table = Menus();
  std::lock_guard guard(table.lock);
  MenuData* data = Find(table, menu);
  if (!data) return FALSE;
  int index = Locate(table, data, position, byPosition);
  if (index < 0) {
    SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
    return FALSE;
  }
  const MenuItem& item = data->items[static_cast<size_t>(index)];
  UINT mask = info->fMask;
  if (mask & (MIIM_FTYPE | MIIM_TYPE)) info->fType = item.type;
  if (mask & MIIM_STATE) info->fState = item.state;
  if (mask & MIIM_ID) info->wID = item.id;
  if (mask & MIIM_SUBMENU) info->hSubMenu = item.subMenu;
  if (mask & MIIM_DATA) info->dwItemData = item.data;
  if (mask & MIIM_BITMAP) info->hbmpItem = item.bitmap;
  if (mask & (MIIM_STRING | MIIM_TYPE)) {
    if (info->dwTypeData && info->cch > 0) {
      size_t n = std::min<size_t>(item.text.size(), info->cch - 1);
      std::wmemcpy(info->dwTypeData, item.text.c_str(), n);
      info->dwTypeData[n] = L'\0';
    }
    info->cch = static_cast<UINT>(item.text.size());
  }
  return TRUE;
}

int GetMenuItemCount(HMENU menu) {
  MenuTable& table = Menus();
  std::lock_guard guard(table.lock);
  MenuData* data = Find(table, menu);
  return data ? static_cast<int>(data->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int position) {
  MenuTable& table = Menus();
  std::lock_guard guard(table.lock);
  MenuData* data = Find(table, menu);
  if (!data || position < 0 || static_cast<size_t>(position) >= data->items.size()) return static_cast<UINT>(-1);
  const MenuItem& item = data->items[static_cast<size_t>(position)];
  return item.subMenu ? static_cast<UINT>(-1) : item.id;
}

HMENU GetSubMenu(HMENU menu, int position) {
  MenuTable& table = Menus();
  std::lock_guard guard(table.lock);
  MenuData* data = Find(table, menu);
  if (!data || position < 0 || static_cast<size_t>(position) >= data->items.size()) return nullptr;
  return data->items[static_cast<size_t>(position)].subMenu;
}

BOOL RemoveMenu(HMENU menu, UINT item, UINT flags) { return Remove(menu, item, flags, false); }
BOOL DeleteMenu(HMENU menu, UINT item, UINT flags) { return Remove(menu, item, flags, true); }
