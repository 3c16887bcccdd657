#include "ui/menu/UIMenu.h"

#include <algorithm>

#include "display/Desktop.h"
#include "ui/UIForm.h"
#include "ui/controls/ControlText.h"
#include "ui/menu/IMenu.h"
#include "ui/menu/MenuConfig.h"
#include "ui/menu/MenuItem.h"
#include "ui/render/DXCore.h"
#include "ui/skin/UISkinManager.h"
#include "win32/Gdi.h"

namespace UI {

namespace {

constexpr wchar_t kClassName[] = L"CUIMenu";
constexpr int kIconWidth = 18;  // what an icon adds to a row's text start
constexpr int kEmptyMenuSize = 200;

// A picture's size: its source size, each side at most `limit`.
CSize PieceSize(const _ImageConfig& piece, int limit) {
  const int w = static_cast<int>(piece.m_rcSource.right - piece.m_rcSource.left);
  const int h = static_cast<int>(piece.m_rcSource.bottom - piece.m_rcSource.top);
  return CSize(std::min(w, limit), std::min(h, limit));
}

bool HasSource(const _ImageConfig& piece) {
  return piece.m_rcSource.right > piece.m_rcSource.left && piece.m_rcSource.bottom > piece.m_rcSource.top;
}

int EdgeHeight(const _ImageEdgeConfig& edge) {
  return std::max({edge.m_edge.m_first.Height(), edge.m_edge.m_middle.Height(), edge.m_edge.m_last.Height()});
}

bool HasIcon(IMenu* node) { return !node->GetICONFile().IsEmpty() || node->GetICONImage(); }

// What a row shows after its icon's place: a row without icon whose caption begins with
// spaces keeps that place free instead, so that its text lines up with the text of the
// rows that have one, in whatever face the menu draws (a space's width varies with it).
struct RowText {
  CString text;
  int indent = 0;  // pixels before the text
};

RowText TextOf(IMenu* node) {
  RowText row{node->GetCaption(), HasIcon(node) ? kIconWidth : 0};
  if (row.indent == 0 && !row.text.IsEmpty() && row.text[0] == L' ') {
    row.text.TrimLeft(L' ');
    row.indent = kIconWidth;
  }
  return row;
}

}  // namespace

CUIMenu::CUIMenu(CString style) : m_strStyle(style.IsEmpty() ? CString(L"Public") : style) {
  m_pCore = new DXCore;
}

CUIMenu::~CUIMenu() {
  for (MenuItem* item : m_items) delete item;
  m_items.clear();
  m_pSelItem = nullptr;
  if (m_hMeasureFont) ::DeleteObject(m_hMeasureFont);
  m_hMeasureFont = nullptr;
  CloseSubMenu();
  if (m_pConfig) m_pConfig->Release();
  m_pConfig = nullptr;
  delete m_pCore;
  m_pCore = nullptr;
  if (m_pOwnerForm && m_pOwnerForm->GetActiveMenu() == this) m_pOwnerForm->SetActiveMenu(nullptr);
  m_pOwnerForm = nullptr;
}

BOOL CUIMenu::Create(CWnd* parent) {
  WNDCLASSW wc{};
  wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = ::DefWindowProcW;
  wc.hInstance = AfxGetInstanceHandle();
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kClassName;
  if (!AfxRegisterClass(&wc)) return FALSE;
  return CreateEx(0, kClassName, L"UIMenu", WS_POPUP | WS_THICKFRAME, 0, 0, 150, 150,
                  parent ? parent->m_hWnd : nullptr, nullptr);
}

void CUIMenu::SetOwnerForm(CUIForm* form) {
  m_pOwnerForm = form;
  m_hOwnerWnd = form ? form->m_hWnd : nullptr;
}

MenuItem* CUIMenu::GetItem(int index) const {
  return index >= 0 && index < GetItemCount() ? m_items[static_cast<size_t>(index)] : nullptr;
}

IMenu* CUIMenu::GetRootIMenu() const {
  const CUIMenu* root = this;
  while (root->m_pParentMenu) root = root->m_pParentMenu;
  return root->m_pNode;
}

CUIMenu* CUIMenu::GetRootParent() {
  CUIMenu* root = this;
  while (root->m_pParentMenu) root = root->m_pParentMenu;
  return root;
}

bool CUIMenu::InChain(HWND hwnd) {
  if (!hwnd) return false;
  for (CUIMenu* m = GetRootParent(); m; m = m->m_pChildMenu)
    if (m->m_hWnd == hwnd) return true;
  return false;
}

// --- set-up and rows ------------------------------------------------------------

_MenuConfig* CUIMenu::GetSkinConfig() {
  if (!m_pConfig) {
    _SkinConfig* record = nullptr;
    if (CUISkinManager* skins = CUISkinManager::GetInstance()) skins->ReadCssData(m_strStyle, kClassName, record);
    m_pConfig = dynamic_cast<_MenuConfig*>(record);
    if (!m_pConfig && record) record->Release();
  }
  return m_pConfig;
}

CPoint CUIMenu::GetOffsetPtAux() const {
  RECT r{0, 0, 400, 300};
  const DWORD style = m_hWnd ? static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)) : WS_POPUP | WS_THICKFRAME;
  const DWORD exStyle = m_hWnd ? static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE)) : 0;
  ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
  return CPoint(-r.left, -r.top);
}

int CUIMenu::OnCreate() {
  m_ptOffset = GetOffsetPtAux();
  ::SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, WS_EX_TOOLWINDOW);
  m_pCore->SetWindow(m_hWnd);
  return m_pCore->Init() == S_OK ? 0 : -1;
}

int CUIMenu::CaculateItemWidth(IMenu* node) {
  if (!node || node->GetCaption().IsEmpty()) return 0;
  _MenuConfig* config = GetSkinConfig();
  if (!m_hMeasureFont && config) m_hMeasureFont = ::CreateFontIndirectW(&config->m_font);
  HDC dc = ::GetDC(m_hWnd);
  HGDIOBJ previous = m_hMeasureFont ? ::SelectObject(dc, m_hMeasureFont) : nullptr;
  RECT r{0, 0, 0, 0};
  const RowText row = TextOf(node);
  ::DrawTextW(dc, row.text, row.text.GetLength(), &r, DT_CALCRECT);
  if (previous) ::SelectObject(dc, previous);
  ::ReleaseDC(m_hWnd, dc);
  return r.right - r.left + row.indent;
}

void CUIMenu::LoadMenuW(IMenu* node) {
  if (!node) return;
  m_pNode = node;
  _MenuConfig* config = GetSkinConfig();
  if (!config) return;
  m_nWidth = 2 * config->m_nIndent;
  int pos = config->m_nIndent;
  for (int i = 0; i < node->GetSubMenuCount(); ++i) {
    IMenu* child = node->GetSubMenu(i);
    const int height = child->GetCaption().IsEmpty() ? EdgeHeight(config->m_separatorImage) : config->m_nItemHeight;
    auto* item = new MenuItem(height, child, this);
    if (!m_items.empty()) pos = m_items.back()->GetPos() + std::max(0, m_items.back()->GetHeight());
    item->SetPos(pos);
    m_items.push_back(item);
    const int needed =
        CaculateItemWidth(child) + config->m_textOffset.cy + config->m_textOffset.cx + 2 * config->m_nIndent;
    m_nWidth = std::max(m_nWidth, needed);
  }
}

void CUIMenu::CaculateBounds() {
  if (m_items.empty()) {
    m_rcBounds = CRect(0, 0, kEmptyMenuSize, kEmptyMenuSize);
    return;
  }
  const MenuItem* last = m_items.back();
  m_rcBounds = CRect(0, 0, m_nWidth, last->GetPos() + std::max(0, last->GetHeight()) + 2);
}

HRGN CUIMenu::GetBoundsRGN() const {
  return ::CreateRectRgn(m_rcBounds.left + m_ptOffset.x, m_rcBounds.top + m_ptOffset.y,
                         m_rcBounds.right + m_ptOffset.x, m_rcBounds.bottom + m_ptOffset.y);
}

void CUIMenu::SetRGN() {
  if (!m_hWnd) return;
  HRGN region = GetBoundsRGN();
  // The window owns the region from here on.
  if (!::SetWindowRgn(m_hWnd, region, TRUE)) ::DeleteObject(region);
}

void CUIMenu::OnSize(int cx, int cy) {
  if (cx <= 0 || cy <= 0) return;
  m_ptOffset = GetOffsetPtAux();
  SetRGN();
  m_pCore->ResetD3DSize(cx, cy);
}

// --- placement -------------------------------------------------------------------

void CUIMenu::SetWndPosition(int left, int top) {
  ::SetWindowPos(m_hWnd, nullptr, std::max(0, left - m_ptOffset.x), std::max(0, top - m_ptOffset.y),
                 m_rcBounds.Width() + 2 * m_ptOffset.x, m_rcBounds.Height() + 2 * m_ptOffset.y,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void CUIMenu::PopupMenu(int x, int y, int dx, int up, CUIMenu* parent, int activate) {
  if (!m_hWnd || m_bClosing) return;
  CaculateBounds();
  m_pParentMenu = parent;
  const int w = m_rcBounds.Width(), h = m_rcBounds.Height();
  const int screenW = ::GetSystemMetrics(SM_CXFULLSCREEN), screenH = ::GetSystemMetrics(SM_CYFULLSCREEN);
  int left = x - dx;
  if (x - dx + w >= screenW) {
    left = x + dx - w;
    if (parent) left -= parent->m_rcBounds.Width();
  }
  int top = y;
  if (up == 1 || y + h >= screenH) {
    top = y - h;
    if (parent) {
      _MenuConfig* config = GetSkinConfig();
      top += (config ? config->m_nItemHeight : 0) + 4;
    }
  }
  m_ptOffset = GetOffsetPtAux();
  SetWndPosition(left, top);
  const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | (activate ? 0 : SWP_NOACTIVATE);
  ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, flags);
  if (activate) ::SetForegroundWindow(m_hWnd);
  // A press anywhere outside the program's windows comes to the chain and takes the
  // activation away, which closes it; the grab ends when the window hides or goes.
  display::Desktop::Get().GrabPointerWhileShown(m_hWnd);
  Repaint();
}

// --- closing ---------------------------------------------------------------------

void CUIMenu::MarkChainClosing() {
  CUIMenu* root = GetRootParent();
  for (CUIMenu* m = root; m; m = m->m_pChildMenu) m->m_bClosing = TRUE;
  // The owner has no active menu from here on (a chosen row's handler may open a new one).
  if (root->m_pOwnerForm && root->m_pOwnerForm->GetActiveMenu() == root) root->m_pOwnerForm->SetActiveMenu(nullptr);
  root->m_pOwnerForm = nullptr;
}

void CUIMenu::ReleaseChainWindows() {
  CUIMenu* root = GetRootParent();
  root->MarkChainClosing();
  root->Release();
}

void CUIMenu::ReleaseAll() {
  CUIMenu* root = GetRootParent();
  if (root->m_bClosing) return;
  IMenu* tree = root->m_pNode;
  root->ReleaseChainWindows();
  if (tree) tree->Release();
}

void CUIMenu::Release() {
  CloseSubMenu();
  if (m_hWnd && ::IsWindow(m_hWnd)) {
    m_bClosing = TRUE;
    m_bDeleteOnDestroy = TRUE;
    DestroyWindow();  // the object goes once no dispatch to it is running
    return;
  }
  delete this;
}

void CUIMenu::PostNcDestroy() {
  CWnd::PostNcDestroy();
  if (m_bDeleteOnDestroy) delete this;
}

void CUIMenu::CloseSubMenu() {
  if (!m_pChildMenu) return;
  CUIMenu* child = m_pChildMenu;
  m_pChildMenu = nullptr;
  child->m_pParentMenu = nullptr;
  child->Release();
}

// --- messages --------------------------------------------------------------------

LRESULT CUIMenu::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  // A closing chain takes no more input; its windows' destruction still runs.
  if (m_bClosing && message != WM_DESTROY && message != WM_NCDESTROY && message != WM_NCCREATE) {
    return message == WM_ERASEBKGND ? 1 : 0;
  }
  const CPoint point(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
  switch (message) {
    case WM_CREATE:
      if (CWnd::WindowProc(message, wParam, lParam) == -1) return -1;
      return OnCreate();
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_SHOWWINDOW: {
      LRESULT result = CWnd::WindowProc(message, wParam, lParam);
      if (wParam) OnPaint();
      return result;
    }
    case WM_SIZE:
      OnSize(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
      return 0;
    case WM_ACTIVATE:
      OnActivate(LOWORD(wParam), reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(point);
      return 0;
    case WM_LBUTTONUP:
      OnLButtonUp(point);
      return 0;
    case WM_MOUSEHOVER:
      OnMouseHover(point);
      return 0;
    case WM_MOUSELEAVE:
      OnMouseLeave();
      return 0;
    default: break;
  }
  return CWnd::WindowProc(message, wParam, lParam);
}

BOOL CUIMenu::PreTranslateMessage(MSG* msg) {
  if (m_bClosing || msg->message != WM_KEYDOWN || msg->hwnd != m_hWnd) return FALSE;
  const UINT key = static_cast<UINT>(msg->wParam);
  if (key == VK_ESCAPE) {
    // A sub-menu has no owner form: the key passes.
    if (!m_hOwnerWnd || m_pParentMenu) return FALSE;
    ::PostMessageW(m_hOwnerWnd, kEscapeMsg, 0, 0);
    return TRUE;
  }
  return OnNavigationKey(key);
}

void CUIMenu::OnActivate(UINT state, HWND other) {
  if (state != WA_INACTIVE) {
    // As the system's default handling does: the active menu takes the keys.
    if (::GetFocus() != m_hWnd) ::SetFocus(m_hWnd);
    Repaint();
    return;
  }
  if (!IsWindowVisible()) return;
  // Activation moving among the chain's own windows keeps it open.
  if (InChain(other)) return;
  ReleaseAll();  // NOTE: this object goes once this dispatch returns
}

bool CUIMenu::Selectable(const MenuItem* item) const {
  return item && !item->IsSeparator() && !item->IsDisabled();
}

void CUIMenu::Select(MenuItem* item) {
  if (item == m_pSelItem) return;
  if (m_pSelItem) m_pSelItem->SetSel(0);
  m_pSelItem = Selectable(item) ? item : nullptr;
  if (m_pSelItem) m_pSelItem->SetSel(1);
}

void CUIMenu::OnMouseMove(CPoint point) {
  MenuItem* item = GetItemPtrFromPoint(point);
  if (!item || item == m_pSelItem) return;
  MenuItem* before = m_pSelItem;
  Select(item);
  CloseSubMenu();
  if (m_pSelItem != before) Repaint();
  if (!m_bTracking) {
    TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_HOVER | TME_LEAVE, m_hWnd, 1};
    if (::TrackMouseEvent(&track)) m_bTracking = 1;
  }
}

void CUIMenu::OnMouseHover(CPoint point) {
  m_bTracking = 0;
  MenuItem* item = GetItemPtrFromPoint(point);
  if (!item || item->IsSeparator() || item->IsDisabled()) return;
  Choose(item);
}

void CUIMenu::Choose(MenuItem* item) {
  if (item->HasSubMenus()) {
    if (!m_pChildMenu) OpenSubMenu(item, false);
    return;
  }
  if (m_hOwnerWnd && !m_pParentMenu) ::PostMessageW(m_hOwnerWnd, kHoverMsg, static_cast<WPARAM>(item->GetNode()->GetID()), 0);
  Repaint();
}

void CUIMenu::OnMouseLeave() {
  m_bTracking = 0;
  if (m_pChildMenu) return;  // the pointer went into the open sub-menu: its row stays lit
  if (m_pSelItem) {
    Select(nullptr);
    Repaint();
  }
}

void CUIMenu::OnLButtonUp(CPoint point) {
  Default();
  ::SetFocus(m_hWnd);
  MenuItem* item = GetItemPtrFromPoint(point);
  if (!Selectable(item) || item->HasSubMenus() || GetRootParent()->m_bClosing) return;
  CUIMenu* root = GetRootParent();
  IMenu::InvokeMenu(root->m_pNode, item->GetNode(), root);  // NOTE: the chain goes
}

void CUIMenu::OpenSubMenu(MenuItem* item, bool selectFirst) {
  auto* child = new CUIMenu(L"Public");
  if (!child->Create(nullptr)) {
    child->Release();
    return;
  }
  child->LoadMenuW(item->GetNode());
  m_pChildMenu = child;
  child->SetParentMenuWnd(this);
  POINT origin{0, 0};
  ::ClientToScreen(m_hWnd, &origin);
  child->PopupMenu(origin.x + m_rcBounds.Width(), origin.y + item->GetPos() - 2, 4, 0, this, 0);
  if (selectFirst) child->MoveSelection(1);
}

// --- keyboard ---------------------------------------------------------------------

void CUIMenu::MoveSelection(int step) {
  const int count = GetItemCount();
  if (count == 0) return;
  int at = -1;
  for (int i = 0; i < count; ++i)
    if (m_items[static_cast<size_t>(i)] == m_pSelItem) at = i;
  if (at < 0) at = step > 0 ? -1 : count;
  for (int n = 0; n < count; ++n) {
    at = ((at + step) % count + count) % count;
    if (Selectable(m_items[static_cast<size_t>(at)])) {
      Select(m_items[static_cast<size_t>(at)]);
      CloseSubMenu();
      Repaint();
      return;
    }
  }
}

BOOL CUIMenu::OnNavigationKey(UINT key) {
  // The keys work on the innermost open menu of the chain.
  CUIMenu* menu = GetRootParent();
  while (menu->m_pChildMenu) menu = menu->m_pChildMenu;
  MenuItem* item = menu->m_pSelItem;
  switch (key) {
    case VK_DOWN: menu->MoveSelection(1); return TRUE;
    case VK_UP: menu->MoveSelection(-1); return TRUE;
    case VK_RIGHT:
      if (Selectable(item) && item->HasSubMenus()) menu->OpenSubMenu(item, true);
      return TRUE;
    case VK_LEFT:
      if (menu->m_pParentMenu) {
        CUIMenu* parent = menu->m_pParentMenu;
        parent->CloseSubMenu();
        parent->Repaint();
      }
      return TRUE;
    case VK_RETURN:
    case VK_SPACE: {
      if (!Selectable(item)) return TRUE;
      if (item->HasSubMenus()) {
        menu->OpenSubMenu(item, true);
        return TRUE;
      }
      CUIMenu* root = GetRootParent();
      IMenu::InvokeMenu(root->m_pNode, item->GetNode(), root);  // NOTE: the chain goes
      return TRUE;
    }
    default: return FALSE;
  }
}

// --- hit testing -------------------------------------------------------------------

int CUIMenu::GetItemFromPoint(CPoint point) const {
  if (point.x < 0 || point.x >= m_nWidth) return -1;
  for (int i = 0; i < GetItemCount(); ++i) {
    const MenuItem* item = m_items[static_cast<size_t>(i)];
    if (point.y >= item->GetPos() && point.y < item->GetPos() + item->GetHeight()) return i;
  }
  return -1;
}

MenuItem* CUIMenu::GetItemPtrFromPoint(CPoint point) const { return GetItem(GetItemFromPoint(point)); }

// --- drawing ------------------------------------------------------------------------

void CUIMenu::Repaint() {
  // Through WM_PAINT: a paint begun outside it has no area to draw into.
  if (!m_hWnd || !::IsWindowVisible(m_hWnd)) return;
  ::InvalidateRect(m_hWnd, nullptr, FALSE);
  ::UpdateWindow(m_hWnd);
}

void CUIMenu::OnPaint() {
  CUISkinManager* skins = CUISkinManager::GetInstance();
  if (!m_hWnd || m_bClosing || (skins && skins->IsThemeChanging())) {
    if (m_hWnd) ::ValidateRect(m_hWnd, nullptr);
    return;
  }
  PAINTSTRUCT ps{};
  HDC dc = ::BeginPaint(m_hWnd, &ps);
  // Images the paint draws stay in the cache until it ends.
  m_pCore->Lock();
  if (m_pCore->BeginPaint() >= 0) {
    Render();
    m_pCore->EndPaint(dc, 0, 0, m_pCore->GetWidth(), m_pCore->GetHeight());
  }
  m_pCore->Unlock();
  ::EndPaint(m_hWnd, &ps);
}

void CUIMenu::Render() {
  RenderBounds();
  RenderItems();
}

void CUIMenu::RenderBounds() {
  _MenuConfig* config = GetSkinConfig();
  if (config && !config->m_bkImage.m_strFile.IsEmpty()) config->m_bkImage.Render(m_pCore, m_rcBounds);
}

void CUIMenu::RenderItems() {
  for (MenuItem* item : m_items) RenderItem(item);
}

void CUIMenu::RenderItem(MenuItem* item) {
  RenderItem(item, CRect(0, item->GetPos(), m_nWidth, item->GetPos() + item->GetHeight()));
}

void CUIMenu::RenderItem(MenuItem* item, const CRect& row) {
  _MenuConfig* config = GetSkinConfig();
  if (!config) return;
  const int indent = config->m_nIndent;
  if (item->IsSeparator()) {
    config->m_separatorImage.Render(m_pCore, CRect(row.left + indent, row.top, row.right - indent, row.bottom));
    return;
  }
  const int x0 = row.left + indent;
  const int middle = (row.top + row.bottom) / 2;
  const bool selected = item->IsSel() != 0, disabled = item->IsDisabled() != 0;
  if (selected) config->m_focusedImage.Render(m_pCore, CRect(row.left + indent, row.top, row.right - indent, row.bottom));
  const int state = disabled ? 3 : selected ? 1 : 0;  // Disable, Focus, Normal
  if (item->IsChecked()) {
    _ImageConfig& check = config->m_checkedImage[state];
    if (HasSource(check)) {
      const CSize s = PieceSize(check, config->m_nIconSize);
      CRect dest(x0 + 5 + 3, middle - s.cy / 2, x0 + 5 + s.cx, middle - s.cy / 2 + s.cy);
      check.Render(m_pCore, dest, nullptr);
    }
  }
  if (_ImageConfig* icon = item->GetICONImage()) {
    const CSize s = PieceSize(*icon, config->m_nIconSize);
    CRect dest(x0 + 5, middle - s.cy / 2, x0 + 5 + s.cx, middle - s.cy / 2 + s.cy);
    icon->Render(m_pCore, dest, nullptr);
  } else if (!item->GetICONFile().IsEmpty()) {
    RectF dest(static_cast<float>(x0 + 5), static_cast<float>(middle - 8), static_cast<float>(x0 + 21),
               static_cast<float>(middle + 8));
    m_pCore->DrawImage(item->GetICONFile(), dest, RectF(), 0xFFFFFFFF, 0);
  }
  const DWORD colour = disabled ? config->m_textDisableColor : selected ? config->m_textSelColor : config->m_textColor;
  const RowText caption = TextOf(item->GetNode());
  const CRect text(row.left + config->m_textOffset.cx + indent + caption.indent, row.top, row.right, row.bottom);
  DrawControlText(m_pCore, caption.text, text, config->m_font, 0, DT_SINGLELINE | DT_VCENTER | DT_LEFT, colour);
  if (item->HasSubMenus()) {
    _ImageConfig& arrow = config->m_submenuImage[state];
    if (HasSource(arrow)) {
      const CSize s = PieceSize(arrow, config->m_nIconSize);
      const int normalWidth = static_cast<int>(config->m_submenuImage[0].m_rcSource.right -
                                               config->m_submenuImage[0].m_rcSource.left);
      const int left = row.right - std::min(config->m_nIconSize, normalWidth) - indent - 5;
      CRect dest(left, middle - s.cy / 2, left + s.cx, middle - s.cy / 2 + s.cy);
      arrow.Render(m_pCore, dest, nullptr);
    }
  }
}

}  // namespace UI
