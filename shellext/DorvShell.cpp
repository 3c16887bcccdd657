#include "DorvShell.h"

#include <cwchar>
#include <string>

#include "ItemIDList.h"
#include "ModuleState.h"
#include "ShellStatusClient.h"

namespace {

constexpr wchar_t kSubmenuTitle[] = L"Dorv";
constexpr wchar_t kSyncNowText[] = L"立即进行一次同步";
constexpr UINT kSyncNowOffset = 1;
constexpr UINT kSubmenuOffset = 2;
constexpr wchar_t kMainWindowClass[] = L"DorvMainFormClass";
constexpr wchar_t kMainWindowTitle[] = L"Dorv";
constexpr wchar_t kProgramName[] = L"Dorv_Win.exe";
constexpr wchar_t kRefreshArgument[] = L"ExploreRefresh";

HICON LoadMenuIcon() {
  return static_cast<HICON>(LoadImageW(DorvShellModule::Handle(), MAKEINTRESOURCEW(CDorvShell::kMenuIconId),
                                       IMAGE_ICON, 16, 16, 0));
}

// Whether the system draws menu bitmaps itself (Windows NT 6 and later).
bool DrawsMenuBitmaps() {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  return GetVersionExW(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion > 5;
}

// The selection's "Shell IDList Array": whether its folder, or its one item, lies
// under the root. The block's offsets are checked against its size.
bool SelectionUnderRoot(IDataObject* data, ShellStatusClient& client) {
  FORMATETC format{static_cast<CLIPFORMAT>(DorvShellModule::ShellIdListFormat()), nullptr, DVASPECT_CONTENT, -1,
                   TYMED_HGLOBAL};
  STGMEDIUM medium{};
  if (FAILED(data->GetData(&format, &medium))) return false;
  bool under = false;
  if (medium.hGlobal) {
    const auto* bytes = static_cast<const BYTE*>(GlobalLock(medium.hGlobal));
    SIZE_T size = GlobalSize(medium.hGlobal);
    const auto* cida = reinterpret_cast<const CIDA*>(bytes);
    auto list = [&](UINT index) -> const ITEMIDLIST* {
      if (sizeof(UINT) * (index + 2) > size) return nullptr;
      UINT offset = cida->aoffset[index];
      if (offset + sizeof(USHORT) > size) return nullptr;
      return reinterpret_cast<const ITEMIDLIST*>(bytes + offset);
    };
    if (bytes && size >= sizeof(CIDA)) {
      const ITEMIDLIST* parent = list(0);
      if (parent) {
        under = client.IsUnderRoot(ItemIDList(parent, nullptr).GetPath().c_str());
        const ITEMIDLIST* item = cida->cidl == 1 ? list(1) : nullptr;
        if (!under && item) under = client.IsUnderRoot(ItemIDList(item, parent).GetPath().c_str());
      }
    }
    if (bytes) GlobalUnlock(medium.hGlobal);
  }
  ReleaseStgMedium(&medium);
  return under;
}

}  // namespace

CDorvShell::CDorvShell(int kind) : m_kind(kind), m_refs(0), m_menuBitmap(nullptr) {
  DorvShellModule::AddLiveObject();
  DorvShellModule::RegisterShell(this);
}

CDorvShell::~CDorvShell() {
  DorvShellModule::ReleaseLiveObject();
  DorvShellModule::UnregisterShell(this);
  if (m_kind == kShellExtMenu && m_menuBitmap) DeleteObject(m_menuBitmap);
}

HRESULT CDorvShell::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (IsEqualGUID(iid, IID_IShellExtInit) || IsEqualGUID(iid, IID_IUnknown)) {
    *out = static_cast<IShellExtInit*>(this);
  } else if (IsEqualGUID(iid, IID_IContextMenu) || IsEqualGUID(iid, IID_IContextMenu2) ||
             IsEqualGUID(iid, IID_IContextMenu3)) {
    *out = static_cast<IContextMenu3*>(this);
  } else if (IsEqualGUID(iid, IID_IShellIconOverlayIdentifier)) {
    *out = static_cast<IShellIconOverlayIdentifier*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG CDorvShell::AddRef() { return ++m_refs; }

ULONG CDorvShell::Release() {
  ULONG left = --m_refs;
  if (left == 0) delete this;
  return left;
}

HRESULT CDorvShell::IsMemberOf(LPCWSTR path, DWORD) {
  if (!path || std::wcslen(path) < 2) return S_FALSE;
  ShellStatusClient client;
  if (!client.ReadSharedRoot() || client.IsDisabled() || !client.IsUnderRoot(path)) return S_FALSE;
  StatusPipeReply reply{};
  // A failed exchange is tried again shortly, but Explorer's thread waits for the
  // answer: a bounded number of times, and none once the budget is spent.
  ULONGLONG started = GetTickCount64();
  bool answered = false;
  for (int attempt = 0; attempt < kMaxStatusAttempts && !answered; ++attempt) {
    if (attempt > 0) {
      if (GetTickCount64() - started >= kStatusBudgetMs) break;
      Sleep(kRetryPauseMs);
    }
    reply = StatusPipeReply{};
    answered = client.QueryFileStatus(path, &reply);
  }
  if (!answered) return S_FALSE;
  int kind;
  switch (reply.status) {
    case kStatusNormal: kind = kShellExtNormal; break;
    case kStatusSyncing: kind = kShellExtUpload; break;
    case kStatusError: kind = kShellExtError; break;
    default: return S_FALSE;
  }
  return kind == m_kind ? S_OK : S_FALSE;
}

HRESULT CDorvShell::GetOverlayInfo(LPWSTR iconFile, int cchMax, int* index, DWORD* flags) {
  if (!iconFile || !index || !flags) return E_POINTER;
  if (cchMax <= 0) return E_INVALIDARG;
  iconFile[0] = L'\0';
  *index = 0;
  *flags = 0;
  if (m_kind < kShellExtNormal || m_kind > kShellExtError) return S_FALSE;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kIconValuesKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return S_FALSE;
  wchar_t value[MAX_PATH + 1] = {};
  DWORD type = 0, size = MAX_PATH * sizeof(wchar_t);
  LSTATUS status =
      RegQueryValueExW(key, kShellExtKinds[m_kind].iconValueName, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_SZ) return S_FALSE;
  // The length the read reports, terminator included (a value stored without one gets one).
  size_t length = size / sizeof(wchar_t);
  if (length == 0 || value[length - 1] != L'\0') ++length;
  if (length >= static_cast<size_t>(cchMax)) return E_INVALIDARG;
  std::wmemcpy(iconFile, value, length - 1);
  iconFile[length - 1] = L'\0';
  *flags = ISIOI_ICONFILE;
  return S_OK;
}

HRESULT CDorvShell::GetPriority(int* priority) {
  if (!priority) return E_POINTER;
  switch (m_kind) {
    case kShellExtNormal: *priority = 2; return S_OK;
    case kShellExtUpload: *priority = 1; return S_OK;
    case kShellExtError: *priority = 0; return S_OK;
    default: *priority = 100; return S_FALSE;
  }
}

HRESULT CDorvShell::Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY) {
  if (m_kind != kShellExtMenu) return E_INVALIDARG;
  ShellStatusClient client;
  // The menu is offered also while sync is paused: the disabled flag is not looked at.
  if (!client.ReadSharedRoot()) return E_INVALIDARG;
  bool under = data && SelectionUnderRoot(data, client);
  if (folder && client.IsUnderRoot(ItemIDList(folder, nullptr).GetPath().c_str())) under = true;
  return under ? S_OK : E_INVALIDARG;
}

bool CDorvShell::BuildMenuBitmap() {
  if (m_menuBitmap) return true;
  HICON icon = LoadMenuIcon();
  if (!icon) return false;
  HDC screen = GetDC(nullptr);
  HDC dc = screen ? CreateCompatibleDC(screen) : nullptr;
  int width = GetSystemMetrics(SM_CXMENUCHECK), height = GetSystemMetrics(SM_CYMENUCHECK);
  HBITMAP bitmap = dc ? CreateCompatibleBitmap(screen, width, height) : nullptr;
  if (bitmap) {
    HGDIOBJ previous = SelectObject(dc, bitmap);
    RECT all{0, 0, width, height};
    SetBkColor(dc, RGB(255, 255, 255));
    bool drawn = previous && ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr) &&
                 DrawIconEx(dc, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
    if (previous) SelectObject(dc, previous);
    if (drawn) {
      m_menuBitmap = bitmap;
    } else {
      DeleteObject(bitmap);
    }
  }
  if (dc) DeleteDC(dc);
  if (screen) ReleaseDC(nullptr, screen);
  DestroyIcon(icon);
  return m_menuBitmap != nullptr;
}

HRESULT CDorvShell::QueryContextMenu(HMENU menu, UINT index, UINT idCmdFirst, UINT, UINT flags) {
  if (m_kind != kShellExtMenu) return E_INVALIDARG;
  if (flags & CMF_DEFAULTONLY) return S_OK;
  if ((flags & 0xF) && !(flags & (CMF_EXPLORE | CMF_VERBSONLY))) return S_OK;
  if (!BuildMenuBitmap()) return S_OK;
  HBITMAP itemBitmap = DrawsMenuBitmaps() ? m_menuBitmap : HBMMENU_CALLBACK;

  InsertMenuW(menu, index, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
  HMENU popup = CreatePopupMenu();
  MENUITEMINFOW command{};
  command.cbSize = sizeof command;
  command.fMask = MIIM_STRING | MIIM_ID | MIIM_BITMAP;
  command.wID = idCmdFirst + kSyncNowOffset;
  command.dwTypeData = const_cast<LPWSTR>(kSyncNowText);  // only read
  command.hbmpItem = itemBitmap;
  InsertMenuItemW(popup, 0, TRUE, &command);

  MENUITEMINFOW submenu{};
  submenu.cbSize = sizeof submenu;
  submenu.fMask = MIIM_STRING | MIIM_ID | MIIM_SUBMENU | MIIM_BITMAP;
  submenu.wID = idCmdFirst + kSubmenuOffset;
  submenu.hSubMenu = popup;
  submenu.dwTypeData = const_cast<LPWSTR>(kSubmenuTitle);
  submenu.hbmpItem = itemBitmap;
  InsertMenuItemW(menu, index + 1, TRUE, &submenu);
  InsertMenuW(menu, index + 2, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
  return static_cast<HRESULT>(kSubmenuOffset + 1);
}

HRESULT CDorvShell::InvokeCommand(CMINVOKECOMMANDINFO* info) {
  if (m_kind != kShellExtMenu || !info) return E_INVALIDARG;
  if (!IS_INTRESOURCE(info->lpVerb) || LOWORD(reinterpret_cast<ULONG_PTR>(info->lpVerb)) != kSyncNowOffset) {
    return E_INVALIDARG;
  }
  if (!FindWindowExW(HWND_DESKTOP, nullptr, kMainWindowClass, kMainWindowTitle)) return S_OK;
  wchar_t program[MAX_PATH] = {};
  // A name cut to the buffer would start some other file: nothing is started then.
  DWORD length = GetModuleFileNameW(DorvShellModule::Handle(), program, MAX_PATH - 1);
  if (length == 0 || length >= MAX_PATH - 1) return S_OK;
  if (wchar_t* last = std::wcsrchr(program, kPathSeparator)) *last = L'\0';
  if (PathAppendW(program, kProgramName)) {
    ShellExecuteW(nullptr, L"open", program, kRefreshArgument, nullptr, SW_SHOWNORMAL);
  }
  return S_OK;
}

HRESULT CDorvShell::GetCommandString(UINT_PTR, UINT, UINT*, CHAR*, UINT) { return S_OK; }

HRESULT CDorvShell::HandleMenuMsg(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_kind != kShellExtMenu) return E_INVALIDARG;
  LRESULT result = 0;
  return HandleMenuMsg2(message, wParam, lParam, &result);
}

HRESULT CDorvShell::HandleMenuMsg2(UINT message, WPARAM, LPARAM lParam, LRESULT* result) {
  if (result) *result = 0;
  if (message == WM_DRAWITEM) {
    auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    if (item && item->CtlType == ODT_MENU) {
      if (HICON icon = LoadMenuIcon()) {
        int top = item->rcItem.top + (item->rcItem.bottom - item->rcItem.top - 16) / 2;
        DrawIconEx(item->hDC, 3, top, icon, 16, 16, 0, nullptr, DI_NORMAL);
        DestroyIcon(icon);
      }
      if (result) *result = 1;
    }
  } else if (message == WM_MEASUREITEM) {
    auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (item) {
      item->itemWidth = 16;
      item->itemHeight = 16;
      if (result) *result = 1;
    }
  }
  return S_OK;
}
