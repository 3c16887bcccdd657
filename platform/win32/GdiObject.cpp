#include "win32/GdiObject.h"

#include "win32/Gdi.h"

#include <mutex>
#include <unordered_map>

#include "win32/WinError.h"

namespace win32 {

namespace {

struct Entry {
  std::unique_ptr<GdiObject> object;
  bool stock = false;
};

struct Table {
  std::mutex lock;
  std::unordered_map<UINT_PTR, Entry> entries;
  UINT_PTR next = 0x10000;
};

Table& TheTable() {
  static Table* table = new Table();  // objects may be deleted during exit
  return *table;
}

HGDIOBJ Add(std::unique_ptr<GdiObject> object, bool stock) {
  if (!object) return nullptr;
  Table& table = TheTable();
  std::lock_guard<std::mutex> guard(table.lock);
  UINT_PTR handle = table.next;
  table.next += 4;
  table.entries[handle] = Entry{std::move(object), stock};
  return reinterpret_cast<HGDIOBJ>(handle);
}

}  // namespace

void SetLastErrorInvalidHandle() { SetLastError(ERROR_INVALID_HANDLE); }

HGDIOBJ AddGdiObject(std::unique_ptr<GdiObject> object) { return Add(std::move(object), false); }

HGDIOBJ AddStockGdiObject(std::unique_ptr<GdiObject> object) { return Add(std::move(object), true); }

GdiObject* FindGdiObject(HGDIOBJ handle) {
  Table& table = TheTable();
  std::lock_guard<std::mutex> guard(table.lock);
  auto found = table.entries.find(reinterpret_cast<UINT_PTR>(handle));
  if (found == table.entries.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return found->second.object.get();
}

bool RemoveGdiObject(HGDIOBJ handle, bool* wasStock) {
  std::unique_ptr<GdiObject> doomed;
  {
    Table& table = TheTable();
    std::lock_guard<std::mutex> guard(table.lock);
    auto found = table.entries.find(reinterpret_cast<UINT_PTR>(handle));
    if (wasStock) *wasStock = found != table.entries.end() && found->second.stock;
    if (found == table.entries.end() || found->second.stock) return false;
    doomed = std::move(found->second.object);
    table.entries.erase(found);
  }
  return true;  // the object dies here, outside the lock
}

}  // namespace win32

BOOL DeleteObject(HGDIOBJ object) {
  win32::GdiObject* found = win32::FindGdiObject(object);
  if (!found) return FALSE;
  if (found->Type() == OBJ_DC || found->Type() == OBJ_MEMDC) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  bool stock = false;
  return win32::RemoveGdiObject(object, &stock) || stock ? TRUE : FALSE;
}

int GetObjectW(HGDIOBJ object, int size, LPVOID buffer) {
  win32::GdiObject* found = win32::FindGdiObject(object);
  if (!found) return 0;
  if (buffer && size <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return found->Describe(size, buffer);
}

DWORD GetObjectType(HGDIOBJ object) {
  win32::GdiObject* found = win32::FindGdiObject(object);
  return found ? found->Type() : 0;
}

#include "win32/GdiBrush.h"
#include "win32/GdiFont.h"

HGDIOBJ GetStockObject(int index) {
  if (HGDIOBJ brushOrPen = win32::StockBrushOrPen(index)) return brushOrPen;
  if (index == DEFAULT_GUI_FONT) {
    static HGDIOBJ font = win32::AddStockGdiObject(std::make_unique<win32::GdiFont>(win32::DefaultGuiLogFont()));
    return font;
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return nullptr;
}
