#include "mfc/CToolTipCtrl.h"

#include "win32/WinUser.h"

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style) {
  win32::RegisterToolTipClass();
  return CreateEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | style, 0, 0, 0, 0,
                  parent ? parent->m_hWnd : nullptr, nullptr);
}

int CToolTipCtrl::GetDelayTime(DWORD which) const {
  return static_cast<int>(::SendMessageW(m_hWnd, TTM_GETDELAYTIME, which, 0));
}

TOOLINFOW CToolTipCtrl::Tool(CWnd* window, UINT_PTR id, bool wholeWindow) {
  TOOLINFOW info{};
  info.cbSize = sizeof info;
  HWND hwnd = window ? window->m_hWnd : nullptr;
  info.hwnd = hwnd;
  info.uId = id;
  if (wholeWindow) {
    info.uFlags = TTF_IDISHWND;
    info.uId = reinterpret_cast<UINT_PTR>(hwnd);
  }
  return info;
}

BOOL CToolTipCtrl::AddTool(CWnd* window, LPCTSTR text, LPCRECT rect, UINT_PTR id) {
  if (!window) return FALSE;
  TOOLINFOW info = Tool(window, id, !rect && id == 0);
  if (rect) info.rect = *rect;
  info.lpszText = const_cast<LPWSTR>(text);
  return static_cast<BOOL>(SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)));
}

void CToolTipCtrl::DelTool(CWnd* window, UINT_PTR id) {
  TOOLINFOW info = Tool(window, id, id == 0);
  SendMessage(TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

BOOL CToolTipCtrl::GetToolInfo(CToolInfo& info, CWnd* window, UINT_PTR id) const {
  static_cast<TOOLINFOW&>(info) = Tool(window, id, id == 0);
  if (!::SendMessageW(m_hWnd, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(static_cast<TOOLINFOW*>(&info))))
    return FALSE;
  info.lpszText = info.szText;
  ::SendMessageW(m_hWnd, TTM_GETTEXTW, sizeof info.szText / sizeof info.szText[0],
                 reinterpret_cast<LPARAM>(static_cast<TOOLINFOW*>(&info)));
  return TRUE;
}

void CToolTipCtrl::SetToolRect(CWnd* window, UINT_PTR id, LPCRECT rect) {
  if (!rect) return;
  TOOLINFOW info = Tool(window, id, false);
  info.rect = *rect;
  SendMessage(TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&info));
}

void CToolTipCtrl::UpdateTipText(LPCTSTR text, CWnd* window, UINT_PTR id) {
  TOOLINFOW info = Tool(window, id, id == 0);
  info.lpszText = const_cast<LPWSTR>(text);
  SendMessage(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

void CToolTipCtrl::GetText(CString& text, CWnd* window, UINT_PTR id) const {
  // Long enough for any tip a tool holds.
  std::wstring buffer(4096, L'\0');
  TOOLINFOW info = Tool(window, id, id == 0);
  info.lpszText = buffer.data();
  const LRESULT n = ::SendMessageW(m_hWnd, TTM_GETTEXTW, buffer.size(), reinterpret_cast<LPARAM>(&info));
  text = CString(buffer.c_str(), static_cast<int>(n));
}

int CToolTipCtrl::GetToolCount() const { return static_cast<int>(::SendMessageW(m_hWnd, TTM_GETTOOLCOUNT, 0, 0)); }
