#include "ui/UIForm.h"

#include <algorithm>

#include "ui/UIManager.h"
#include "ui/animation/AnimationController.h"
#include "ui/controls/UICaption.h"
#include "ui/image/ImageConfig.h"
#include "ui/menu/UIMenu.h"
#include "ui/render/DXCore.h"
#include "win32/Cursor.h"
#include "win32/Gdi.h"
#include "ui/skin/FormConfig.h"
#include "ui/skin/UISkinManager.h"
#include "common/MutiLanSupport.h"
#include "win32/Icon.h"

namespace UI {

BEGIN_MESSAGE_MAP(CUIForm, CWnd)
  ON_WM_CREATE()
  ON_WM_SIZE()
  ON_WM_TIMER()
  ON_WM_CLOSE()
  ON_WM_ENABLE()
  ON_WM_NCHITTEST()
  ON_WM_GETMINMAXINFO()
END_MESSAGE_MAP()

CUIForm::CUIForm() {
  m_strTypeName = L"CUIForm";
  m_pOwnerForm = this;
  m_pParent = this;
  m_pCore = new DXCore;
  m_pAnimationController = new AnimationController;
  if (CUIManager* manager = CUIManager::GetInstance()) manager->RegisterForm(this);
}

CUIForm::~CUIForm() {
  m_timers.clear();
  // The open menu and its tree go with the form.
  ReleaseActiveMenu();
  // While the form is whole: each control's destructor tells the form it goes.
  RemoveAllControlFromMap();
  if (CUIManager* manager = CUIManager::GetInstance()) {
    manager->UnRegisterForm(this);
    manager->UnRegisterOnceForm(this);
  }
  m_tabOrder.clear();
  m_subModalForms.clear();
  m_tooltipControls.clear();
  if (m_toolTip.m_hWnd) m_toolTip.DestroyWindow();
  if (m_hWnd) {
    // The object goes first: the window must not come back to it.
    m_bDeleteOnDestroy = FALSE;
    m_bClosing = TRUE;
    DestroyWindow();
  }
  delete m_pCore;
  m_pCore = nullptr;
  m_pAnimationController->Release();
  m_pAnimationController = nullptr;
  if (!m_strText.IsEmpty()) ::UnregisterClassW(m_strText, AfxGetInstanceHandle());
}

int CUIForm::Create(DWORD style, const wchar_t* className, const wchar_t* title, CWnd* parent, UINT id, CRect rect) {
  return Create(0, style, className, title, parent, id, rect);
}

int CUIForm::Create(DWORD exStyle, DWORD style, const wchar_t* className, const wchar_t* title, CWnd* parent,
                    UINT id, CRect rect) {
  m_pParentWnd = parent;
  WNDCLASSW wc{};
  wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = AfxWndProc;
  wc.hInstance = AfxGetInstanceHandle();
  wc.lpszClassName = className;
  if (!AfxRegisterClass(&wc)) return 0;
  m_strText = className;
  style = (style & ~(WS_CHILD | WS_CAPTION)) | WS_CLIPCHILDREN;
  return CreateEx(exStyle, className, title, style, rect, parent, id) ? 1 : 0;
}

int CUIForm::OnCreate(LPCREATESTRUCTW cs) {
  if (CWnd::OnCreate(cs) == -1) return -1;
  m_hOwnWnd = m_hWnd;
  m_pCore->SetWindow(m_hWnd);
  m_pAnimationController->SetWnd(m_hWnd);
  if (m_pCore->Init() != S_OK) {
    Common::CMutiLanSupport* strings = Common::CMutiLanSupport::GetInstance();
    ::MessageBoxW(nullptr, strings->GetStringViaID(L"STRID_ERROR_D3DINITFAIL"),
                  strings->GetStringViaID(L"STRID_ERROR_D3DINITFAIL_TITLE"), MB_OK);
    return -1;
  }
  // The form's tree is its element under the build file's root.
  CUISkinManager* skins = CUISkinManager::GetInstance();
  CString path;
  path.Format(L"%s %s", L"BuildRoot", static_cast<const wchar_t*>(m_strObjectID));
  void* node = skins ? skins->GetBuildNode(path) : nullptr;
  if (!node || !BuildFromXML(node)) return -1;
  m_pCaption = FindControlRecusive(L"FormCaption");
  CreateToolTip();
  OnSkinChanged();
  return 0;
}

void CUIForm::PostNcDestroy() {
  m_hOwnWnd = nullptr;
  CWnd::PostNcDestroy();
  // The last dispatch to this object has returned: a closed modeless form goes now.
  if (m_bDeleteOnDestroy) {
    m_bDeleteOnDestroy = FALSE;
    Release();
  }
}

void CUIForm::ForgetControl(CUIControl* control) {
  if (m_pKeyFocusControl == control) m_pKeyFocusControl = nullptr;
  if (m_pMouseFocusControl == control) m_pMouseFocusControl = nullptr;
  if (m_pNeedRefreshControl == control) m_pNeedRefreshControl = nullptr;
  if (m_pCaptureControl == control) m_pCaptureControl = nullptr;
  if (m_pCaption == control) m_pCaption = nullptr;
  std::replace(m_tabOrder.begin(), m_tabOrder.end(), control, static_cast<CUIControl*>(nullptr));
  RemoveTooltipMsg(control);
}

void CUIForm::OnSkinChanged() {
  ReadAssSkinData(CString());
  DispathSkinChangeMsg();
  ArrangeAllSubControls();
  SetFormRgn();
  Refresh(FALSE, nullptr);
}

void CUIForm::RenderSelf(DXCore* core, const CRect* clip) {
  auto* config = dynamic_cast<_FormConfig*>(GetSkinConfig(CString()));
  if (!config || !core) return;
  if ((config->m_bkColor >> 24) != 0) core->FillRectangle(GetBounds(), config->m_bkColor);
  if (!config->m_bkImage.m_strFile.IsEmpty() && clip) {
    config->m_bkImage.Render(core, *clip);
  }
}

void CUIForm::OnSetSkinData() {
  auto* config = dynamic_cast<_FormConfig*>(GetSkinConfig(CString()));
  if (!config) return;
  SetPadding(config->m_rcBorderMargin);
  CUISkinManager* skins = CUISkinManager::GetInstance();
  if (m_hWnd && !(skins && skins->IsThemeChanging()) && !config->m_rcPosition.IsRectEmpty()) {
    SetFormPosition(config->m_rcPosition);
  }
  if (!config->m_bResize && m_hWnd) {
    ::SetWindowLongW(m_hWnd, GWL_STYLE, ::GetWindowLongW(m_hWnd, GWL_STYLE) & ~WS_MAXIMIZEBOX);
  }
}

HRGN CUIForm::GetBoundRgn() {
  auto* config = dynamic_cast<_FormConfig*>(GetSkinConfig(CString()));
  if (!config) return nullptr;
  if (config->m_bFullWindow && m_hWnd && ::IsZoomed(m_hWnd)) {
    return ::CreateRectRgn(0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
  }
  const CRect b = GetBounds();
  return ::CreateRoundRectRgn(b.left, b.top, b.right + 1, b.bottom + 1, config->m_roundDiameters.x,
                              config->m_roundDiameters.y);
}

void CUIForm::SetFormRgn() {
  if (!m_hWnd) return;
  HRGN region = GetBoundRgn();
  if (!region) return;
  const CSize o = GetFrameOffsets();
  ::OffsetRgn(region, o.cx, o.cy);
  // The window owns the region from here on.
  if (!::SetWindowRgn(m_hWnd, region, !::IsZoomed(m_hWnd))) ::DeleteObject(region);
}

void CUIForm::SetFormPosition(CRect r) {
  if (!m_hWnd) return;
  // The frame lies outside the wanted client area on every side.
  const CSize o = GetFrameOffsets();
  ::MoveWindow(m_hWnd, std::max<LONG>(0, r.left - o.cx), std::max<LONG>(0, r.top - o.cy), r.Width() + 2 * o.cx,
               r.Height() + 2 * o.cy, TRUE);
}

// --- painting ---------------------------------------------------------------

void CUIForm::SetNeedRefreshControl(CUIControl* control) {
  if (m_pNeedRefreshControl && control != m_pNeedRefreshControl) m_bManyNeedRefresh = TRUE;
  m_pNeedRefreshControl = control;
}

void CUIForm::OnPaint(WPARAM wParam) {
  CUISkinManager* skins = CUISkinManager::GetInstance();
  if (skins && skins->IsThemeChanging()) {
    ::ValidateRect(m_hWnd, nullptr);
    if (wParam == kAnimationTimerId) m_pAnimationController->AfterRefresh();
    return;
  }
  PAINTSTRUCT ps{};
  HDC dc = ::BeginPaint(m_hWnd, &ps);
  const CRect bounds = GetBounds();
  CRect paint(ps.rcPaint);
  m_pCore->Lock();
  m_pCore->Unlock();
  m_pCore->Lock();
  const bool partial = !paint.IsRectEmpty() && m_pNeedRefreshControl &&
                       (paint.Width() < bounds.Width() || paint.Height() < bounds.Height());
  if (partial) {
    // The repaint starts at the lowest opaque container above the control
    // that asked; when several controls asked, the invalid area is the union
    // of theirs and only the root covers them all.
    CUIControl* start = nullptr;
    if (!m_bManyNeedRefresh) {
      CUIControl* root = this;
      for (CUIControl* c = m_pNeedRefreshControl, *last = nullptr; c && c != root && c != last;
           last = c, c = c->GetParent()) {
        if (!start && !c->IsTransContainer()) start = c;
        if (c->IsClipToBounds()) {
          const CRect cut = c->GetBounds();
          paint.IntersectRect(&paint, &cut);
        }
      }
    }
    m_pNeedRefreshControl = nullptr;
    m_bManyNeedRefresh = FALSE;
    if (!paint.IsRectEmpty() && m_pCore->BeginPaint() >= 0) {
      CUIControl* from = start ? start : static_cast<CUIControl*>(this);
      from->Render(m_pCore, &bounds, &paint);
      m_pCore->EndPaint(dc, paint.left, paint.top, paint.Width(), paint.Height());
    }
  } else {
    m_pNeedRefreshControl = nullptr;
    m_bManyNeedRefresh = FALSE;
    if (m_pCore->BeginPaint() >= 0) {
      Render(m_pCore, &bounds, &bounds);
      m_pCore->EndPaint(dc, 0, 0, bounds.Width(), bounds.Height());
    }
  }
  m_pCore->Unlock();
  ::EndPaint(m_hWnd, &ps);
  // The frame has been drawn: the next animation step may be timed.
  if (wParam == kAnimationTimerId) m_pAnimationController->AfterRefresh();
}

void CUIForm::OnSize(UINT type, int cx, int cy) {
  CWnd::OnSize(type, cx, cy);
  if (cx < 1 || cy < 1) return;
  m_pCore->ResetD3DSize(cx, cy);
  if (auto* caption = dynamic_cast<CUICaption*>(m_pCaption)) caption->OnSize(type);
  ArrangeAllSubControls();
  SetFormRgn();
  Refresh(FALSE, nullptr);
}

void CUIForm::OnEnable(BOOL enable) {
  CWnd::OnEnable(enable);
  SetEnabled(enable);
  Refresh(FALSE, nullptr);
}

CSize CUIForm::GetFrameOffsets() const {
  if (!m_hWnd) return CSize(0, 0);
  RECT window{}, client{};
  ::GetWindowRect(m_hWnd, &window);
  ::GetClientRect(m_hWnd, &client);
  POINT origin{0, 0};
  ::ClientToScreen(m_hWnd, &origin);
  return CSize(origin.x - window.left, origin.y - window.top);
}

LRESULT CUIForm::OnNcHitTest(CPoint point) {
  POINT p = point;
  ::ScreenToClient(m_hWnd, &p);
  auto* config = dynamic_cast<_FormConfig*>(GetSkinConfig(CString()));
  if (!config) return HTNOWHERE;
  if (config->m_bResize) {
    const CSize o = GetFrameOffsets();
    const CRect b = GetBounds();
    const CRect inner(b.left + o.cx, b.top + o.cy, b.right - o.cx, b.bottom - o.cy);
    const bool left = p.x < inner.left, right = p.x > inner.right;
    if (p.y < inner.top) return left ? HTTOPLEFT : right ? HTTOPRIGHT : HTTOP;
    if (p.y > inner.bottom) return left ? HTBOTTOMLEFT : right ? HTBOTTOMRIGHT : HTBOTTOM;
    if (left) return HTLEFT;
    if (right) return HTRIGHT;
  }
  // The caption's free area drags the form; its buttons are client area.
  auto* caption = dynamic_cast<CUICaption*>(m_pCaption);
  if (caption && caption->IsVisible() && caption->IsHitCaption(CPoint(p.x, p.y)) == 1) return HTCAPTION;
  return HTCLIENT;
}

void CUIForm::OnGetMinMaxInfo(MINMAXINFO* info) {
  auto* config = dynamic_cast<_FormConfig*>(GetSkinConfig(CString()));
  if (!config || !info) return;
  if (config->m_bResize) {
    const CSize o = GetFrameOffsets();
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor);
    const CRect screen(monitor.rcMonitor), work(monitor.rcWork);
    info->ptMaxPosition.x = work.left - o.cx - screen.left;
    info->ptMaxPosition.y = work.top - screen.top - o.cy;
    CSize size;
    if (config->m_bFullWindow) {
      size = CSize(screen.Width(), screen.Height());
    } else if (config->m_maxSize.cx != 0 || config->m_maxSize.cy != 0) {
      size = config->m_maxSize;
      if (size.cx <= config->m_minSize.cx || size.cy <= config->m_minSize.cy) size = config->m_minSize;
    } else {
      size = CSize(work.Width(), work.Height());
    }
    info->ptMaxSize.x = size.cx + 2 * o.cx;
    info->ptMaxSize.y = size.cy + 2 * o.cy;
    info->ptMaxTrackSize = info->ptMaxSize;
    info->ptMinTrackSize.x = config->m_minSize.cx + 2 * o.cx;
    info->ptMinTrackSize.y = config->m_minSize.cy + 2 * o.cy;
  }
  CWnd::OnGetMinMaxInfo(info);
}

// --- timers -------------------------------------------------------------------

int CUIForm::RegisterTimerHandler(UINT id, UINT elapse, TimerHandler handler) {
  if (m_timers.count(id)) return 0;
  m_timers[id] = handler;
  SetTimer(id, elapse);
  return 1;
}

void CUIForm::UnRegisterTimerHandler(UINT id) {
  auto found = m_timers.find(id);
  if (found == m_timers.end()) return;
  KillTimer(id);
  m_timers.erase(found);
}

void CUIForm::OnTimer(UINT_PTR id) {
  if (id == kAnimationTimerId) {
    m_pAnimationController->OnTimer(this);
    return;
  }
  auto found = m_timers.find(static_cast<UINT>(id));
  if (found != m_timers.end() && found->second) found->second(static_cast<UINT>(id));
}

// --- tooltips -----------------------------------------------------------------

void CUIForm::CreateToolTip() {
  if (m_toolTip.m_hWnd || !m_toolTip.Create(this, TTS_ALWAYSTIP)) return;
  m_toolTip.SetDelayTime(600);
  m_toolTip.SetMaxTipWidth(200);
  m_toolTip.Activate(TRUE);
}

void CUIForm::AddSubTooltip(CUIControl* control) {
  if (!control || !m_toolTip.m_hWnd || !IsVisible()) return;
  m_tooltipControls.insert(control);
  if (m_hWnd) ::PostMessageW(m_hWnd, kAddSubTooltipMsg, reinterpret_cast<WPARAM>(control), 0);
}

void CUIForm::RemoveSubTooltip(CUIControl* control) {
  if (!control || !m_toolTip.m_hWnd) return;
  m_tooltipControls.insert(control);
  if (m_hWnd) ::PostMessageW(m_hWnd, kRemoveSubTooltipMsg, reinterpret_cast<WPARAM>(control), 0);
}

CWnd* CUIForm::ToolWindow(CUIControl* control, UINT_PTR* id) {
  if (control->IsUIForm()) {
    *id = 0;
    return dynamic_cast<CWnd*>(control);
  }
  *id = reinterpret_cast<UINT_PTR>(control);
  return this;
}

LRESULT CUIForm::OnAddSubTooltip(WPARAM wParam, LPARAM) {
  // Only the address is compared until the control is known to be alive.
  auto* control = reinterpret_cast<CUIControl*>(wParam);
  if (!m_toolTip.m_hWnd || !m_tooltipControls.count(control)) return 0;
  UINT_PTR id = 0;
  CWnd* window = ToolWindow(control, &id);
  if (!window || !window->m_hWnd) return 0;
  const CString text = control->GetTooltipText();
  const CRect bounds = control->GetBounds();
  CToolInfo info;
  if (m_toolTip.GetToolInfo(info, window, id)) {
    if (id != 0 && CRect(info.rect) != bounds) m_toolTip.SetToolRect(window, id, &bounds);
    CString shown;
    m_toolTip.GetText(shown, window, id);
    if (shown != text) m_toolTip.UpdateTipText(text, window, id);
  } else {
    m_toolTip.AddTool(window, text, id != 0 ? &bounds : nullptr, id);
  }
  return 0;
}

LRESULT CUIForm::OnRemoveSubTooltip(WPARAM wParam, LPARAM) {
  auto* control = reinterpret_cast<CUIControl*>(wParam);
  if (!m_toolTip.m_hWnd || !m_tooltipControls.count(control)) return 0;
  UINT_PTR id = 0;
  CWnd* window = ToolWindow(control, &id);
  if (window && window->m_hWnd) m_toolTip.DelTool(window, id);
  return 0;
}

BOOL CUIForm::PreTranslateMessage(MSG* msg) {
  if (m_bClosing) return TRUE;
  if (m_toolTip.m_hWnd) {
    m_toolTip.RelayEvent(msg);
    if (msg->message == WM_DESTROY && msg->hwnd == m_hWnd) m_toolTip.DestroyWindow();
  }
  return CWnd::PreTranslateMessage(msg);
}

// --- window operations ----------------------------------------------------------

void CUIForm::SetIcon(UINT resourceId, BOOL big) {
  HANDLE icon = ::LoadImageW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(static_cast<WORD>(resourceId)), IMAGE_ICON, 0,
                             0, LR_DEFAULTSIZE | LR_SHARED);
  if (icon && m_hWnd) SendMessage(WM_SETICON, static_cast<WPARAM>(big), reinterpret_cast<LPARAM>(icon));
}

void CUIForm::BringToTop() {
  if (!m_hWnd) return;
  ::ShowWindow(m_hWnd, ::IsIconic(m_hWnd) ? SW_RESTORE : SW_SHOW);
  ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ::SetWindowPos(m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ::SetForegroundWindow(m_hWnd);
  ::SetActiveWindow(m_hWnd);
  if (!GetCurFocused()) SetKBFocused(TRUE);
}

// --- input routing --------------------------------------------------------------

LRESULT CUIForm::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  // A closing form ignores its messages, but its window's own destruction
  // still runs, so that the object learns that the window is gone.
  if (m_bClosing && message != WM_DESTROY && message != WM_NCDESTROY) return 1;
  const CPoint point(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
  switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      // The click that activates an inactive form only activates it.
      if (::GetForegroundWindow() != m_hWnd) return 1;
      break;
    default: break;
  }
  switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_ACTIVATE:
      if (m_pCaptureControl) m_pCaptureControl->OnActivate(LOWORD(wParam), HIWORD(wParam));
      if (m_pKeyFocusControl) m_pKeyFocusControl->OnActivate(LOWORD(wParam), HIWORD(wParam));
      if (m_pCaption) {
        m_pCaption->SetEnabled(wParam != 0);
        m_pCaption->Refresh(FALSE, nullptr);
      }
      OnPaint(wParam);
      return 1;
    case WM_PAINT:
    case WM_SHOWWINDOW: {
      LRESULT shown = 1;
      if (message == WM_SHOWWINDOW) shown = CWnd::WindowProc(message, wParam, lParam);
      OnPaint(wParam);
      return shown ? 1 : 1;
    }
    case WM_CLOSE:
      if (!m_subModalForms.empty()) {
        m_subModalForms.back()->EndDialog(0);
        ::PostMessageW(m_hWnd, WM_CLOSE, wParam, lParam);
        return 1;
      }
      break;
    case WM_CAPTURECHANGED:
      // Another window took the pointer: the capturing control hears of it and lets go.
      if (m_pCaptureControl && reinterpret_cast<HWND>(lParam) != m_hWnd) {
        CUIControl* lost = m_pCaptureControl;
        m_pCaptureControl = nullptr;
        lost->OnMouseMessage(WM_CAPTURECHANGED, 0, CPoint());
      }
      break;
    case kMenuEscapeMsg:
      if (ReleaseActiveMenu()) return 1;
      break;
    case kAddSubTooltipMsg: return OnAddSubTooltip(wParam, lParam);
    case kRemoveSubTooltipMsg: return OnRemoveSubTooltip(wParam, lParam);
    case WM_SETCURSOR: {
      // The form's own cursor covers every control, and the default handling
      // does not run: the pointer keeps it over the frame band too.
      if (m_pGlobalCursor) {
        if (HCURSOR cursor = ::LoadCursorW(nullptr, m_pGlobalCursor)) ::SetCursor(cursor);
        return 1;
      }
      CUIControl* asked = m_pCaptureControl ? m_pCaptureControl : ControlUnderPointer();
      if (asked && asked->OnSetCursor(LOWORD(lParam), HIWORD(lParam))) return 1;
      ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
      break;
    }
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
      if (OnKeyMsg(message, static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam))) return 1;
      break;
    case WM_MOUSEWHEEL: {
      POINT client = point;
      ::ScreenToClient(m_hWnd, &client);
      HWND self = m_hWnd;
      if (OnMouseMsg(message, static_cast<UINT>(wParam), CPoint(client.x, client.y)) || !::IsWindow(self)) return 1;
      break;
    }
    default:
      if ((message >= WM_MOUSEMOVE && message <= 0x209) || message == WM_MOUSELEAVE) {
        HWND self = m_hWnd;
        if (OnMouseMsg(message, static_cast<UINT>(wParam), point) || !::IsWindow(self)) return 1;
      }
      break;
  }
  return CWnd::WindowProc(message, wParam, lParam);
}

CUIControl* CUIForm::ControlUnderPointer() {
  // WM_SETCURSOR comes before the move that changes the hovered control, so
  // the control is looked up where the pointer is now.
  POINT at{};
  ::GetCursorPos(&at);
  ::ScreenToClient(m_hWnd, &at);
  CUIControl* under = FindControlUnderPoint(CPoint(at.x, at.y));
  return under && under->IsVisible() && under->IsEnabled() ? under : nullptr;
}

int CUIForm::ReleaseActiveMenu() {
  CUIMenu* menu = m_pActiveMenu;
  if (!menu) return 0;
  m_pActiveMenu = nullptr;
  menu->ReleaseAll();
  return 1;
}

LRESULT CUIForm::OnMouseMsg(UINT message, UINT wParam, const CPoint& point) {
  if (m_bClosing) return 1;
  if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN) ReleaseActiveMenu();
  if (m_pCaptureControl) {
    m_pCaptureControl->OnMouseMessage(message, wParam, point);
    return 1;
  }
  if (message == WM_MOUSELEAVE) {
    SetMouseFocusControl(nullptr);
    m_bMouseTracking = FALSE;
    OnMouseLeave(wParam, point);
    return 1;
  }
  if (!m_bMouseTracking) {
    TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, m_hWnd, 0};
    ::TrackMouseEvent(&track);
    m_bMouseTracking = TRUE;
  }
  CUIControl* target = FindControlUnderPoint(point);
  if (!target || !target->IsVisible() || !target->IsEnabled()) return 0;
  try {
    if (message == WM_MOUSEMOVE) SetMouseFocusControl(target);
    target->DispatchMouseMessage(message, wParam, point);
  } catch (...) {
    return 0;
  }
  return 1;
}

void CUIForm::SetMouseFocusControl(CUIControl* control) {
  CUIControl* current = m_pMouseFocusControl;
  if (control == current) return;
  if (current) {
    try {
      if (!control) {
        current->HandleMouseLeave(nullptr);
      } else {
        bool stays = false;
        CUIControl* root = this;
        for (CUIControl* up = control->GetParent(); up; up = up->GetParent()) {
          if (up == root || up->GetDepth() < current->GetDepth()) break;
          if (up == current) {
            stays = true;
            break;
          }
        }
        if (!stays) current->HandleMouseLeave(control);
      }
    } catch (...) {
      current = nullptr;
    }
  }
  if (control) control->HandleMouseHover(current);
  m_pMouseFocusControl = control;
}

void CUIForm::SetKeyFocusControl(CUIControl* control) {
  if (control == m_pKeyFocusControl) return;
  if (CUIControl* losing = m_pKeyFocusControl) {
    try {
      losing->DispatchKeyMessage(kFocusLostMsg, 0, 0, 0);
    } catch (...) {
      m_pKeyFocusControl = nullptr;
    }
  }
  if (control) control->DispatchKeyMessage(kFocusGainedMsg, 0, 0, 0);
  m_pKeyFocusControl = control;
}

int CUIForm::SetGlobalCursor(const wchar_t* name) {
  if (name == m_pGlobalCursor) return 1;
  if (name) {
    HCURSOR cursor = ::LoadCursorW(nullptr, name);
    if (!cursor) return 0;
    ::SetCursor(cursor);
  } else {
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
  }
  m_pGlobalCursor = name;
  return 1;
}

void CUIForm::DisableIME() {
  if (!m_hWnd || !::IsWindow(m_hWnd)) return;
  if (HIMC context = ::ImmGetContext(m_hWnd)) {
    m_hSavedIMC = context;
    ::ImmAssociateContext(m_hWnd, nullptr);
    ::ImmReleaseContext(m_hWnd, context);
  }
  ::SetFocus(m_hWnd);
}

void CUIForm::EnableIME() {
  if (!m_hWnd || !::IsWindow(m_hWnd)) return;
  if (m_hSavedIMC) {
    ::ImmAssociateContext(m_hWnd, m_hSavedIMC);
    m_hSavedIMC = nullptr;
  }
  ::SetFocus(m_hWnd);
}

static bool Usable(CUIControl* c) { return c && c->IsVisible() && c->IsEnabled(); }

LRESULT CUIForm::OnKeyMsg(UINT message, UINT wParam, UINT repeat, UINT flags) {
  if (m_bClosing) return 1;
  if (message == WM_KEYDOWN && wParam == VK_ESCAPE && m_bEscapeClose) {
    if (Usable(m_pKeyFocusControl) && m_pKeyFocusControl->OnKeyMessage(WM_KEYDOWN, VK_ESCAPE, repeat, flags)) return 1;
    if (m_bModal) {
      EndDialog(0);
    } else {
      ::PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
    }
    return 1;
  }
  if (message == WM_KEYDOWN && wParam == VK_TAB && !m_tabOrder.empty()) {
    CUIControl* from = GetCurFocused();
    const bool shift = (::GetKeyState(VK_LSHIFT) & 0x8000) || (::GetKeyState(VK_RSHIFT) & 0x8000) ||
                       (::GetKeyState(VK_SHIFT) & 0x8000);
    return MoveFocus(from, shift ? GetPrevTabCtrl() : GetNextTabCtrl());
  }
  if (!Usable(m_pKeyFocusControl)) return 0;
  if (m_pKeyFocusControl->DispatchKeyMessage(message, wParam, repeat, flags)) return 0;
  if (message == WM_KEYDOWN && (wParam == VK_LEFT || wParam == VK_RIGHT) && !m_tabOrder.empty()) {
    CUIControl* from = GetCurFocused();
    return MoveFocus(from, wParam == VK_LEFT ? GetPrevTabCtrl() : GetNextTabCtrl());
  }
  return 0;
}

LRESULT CUIForm::MoveFocus(CUIControl* from, CUIControl* to) {
  if (!to) return 1;
  if (from) from->SetKBFocused(FALSE);
  to->SetKBFocused(TRUE);
  Refresh(FALSE, nullptr);
  return 1;
}

void CUIForm::ClearTABOrder() {
  m_tabOrder.clear();
  m_nCurTab = -1;
}

CUIControl* CUIForm::GetCurFocused() {
  for (size_t i = 0; i < m_tabOrder.size(); ++i) {
    CUIControl* c = m_tabOrder[i];
    if (c && c->IsKBFocused() && c->IsVisible()) {
      m_nCurTab = static_cast<int>(i);
      return c;
    }
  }
  return nullptr;
}

CUIControl* CUIForm::GetNextTabCtrl() {
  const int n = static_cast<int>(m_tabOrder.size());
  if (n == 0) return nullptr;
  for (int step = 1; step <= n; ++step) {
    const int i = m_nCurTab < 0 ? step - 1 : (m_nCurTab + step) % n;
    if (Usable(m_tabOrder[i])) return m_tabOrder[i];
  }
  return nullptr;
}

CUIControl* CUIForm::GetPrevTabCtrl() {
  const int n = static_cast<int>(m_tabOrder.size());
  if (n == 0) return nullptr;
  if (m_nCurTab < 0) m_nCurTab = 0;
  for (int step = 1; step <= n; ++step) {
    const int i = ((m_nCurTab - step) % n + n) % n;
    if (Usable(m_tabOrder[i])) return m_tabOrder[i];
  }
  return nullptr;
}

// --- modal run and closing ------------------------------------------------------

void CUIForm::PreModal() {
  if (CWinApp* app = AfxGetApp()) app->EnableModeless(FALSE);
  m_bModal = TRUE;
}

void CUIForm::PostModal() {
  if (CWinApp* app = AfxGetApp()) app->EnableModeless(TRUE);
}

void CUIForm::RemoveSubModalForm(CUIForm* form) {
  auto found = std::find(m_subModalForms.begin(), m_subModalForms.end(), form);
  if (found != m_subModalForms.end()) m_subModalForms.erase(found);
}

int CUIForm::DoModal() {
  PreModal();
  m_nModalResult = -1;
  HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : ::GetActiveWindow();
  if (owner == m_hWnd) owner = nullptr;
  bool disabled = false;
  if (owner && owner != ::GetDesktopWindow() && ::IsWindowEnabled(owner)) {
    ::EnableWindow(owner, FALSE);
    disabled = true;
  }
  auto* parentForm = dynamic_cast<CUIForm*>(m_pParentWnd);
  if (parentForm) parentForm->AddSubModalForm(this);
  CenterWindow();
  ShowWindow(SW_SHOW);
  ::SetForegroundWindow(m_hWnd);
  ::BringWindowToTop(m_hWnd);
  try {
    const int result = RunModalLoop(0);
    if (m_bModal) m_nModalResult = result;  // the loop ended without EndDialog
  } catch (...) {
    m_nModalResult = -1;
  }
  m_bModal = FALSE;
  if (parentForm) parentForm->RemoveSubModalForm(this);
  if (disabled) ::EnableWindow(owner, TRUE);
  if (owner && ::IsWindow(m_hWnd)) {
    ::SetForegroundWindow(owner);
    ::SetWindowPos(owner, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  }
  if (m_hWnd) {
    m_bClosing = TRUE;
    DestroyWindow();
  }
  PostModal();
  return m_nModalResult;
}

void CUIForm::EndDialog(int code) {
  CUIForm* form = this;
  while (!form->m_subModalForms.empty()) {
    form = form->m_subModalForms.back();
    code = 0;
  }
  if (form->m_hWnd) ::SetWindowPos(form->m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  form->m_nModalResult = code;
  form->m_bModal = FALSE;
  form->EndModalLoop(code);
}

void CUIForm::OnClose() {
  m_bClosing = TRUE;
  if (m_bModal) {
    EndDialog(0);
    return;
  }
  // Deleting the object inside its own WM_CLOSE would leave the dispatch on
  // a dead object: the window goes now, the object once dispatch returns.
  m_bDeleteOnDestroy = TRUE;
  DestroyWindow();
}

void CUIForm::OnQueryCloseForm() {
  if (m_bClosing) return;
  OnClose();
}

}  // namespace UI
