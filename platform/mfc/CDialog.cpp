#include "mfc/CDialog.h"

#include "win32/DialogManager.h"
#include "win32/Keyboard.h"

namespace {

constexpr LPCWSTR kDialogClass = L"#32770";

LPCWSTR DialogClass() {
  WNDCLASSW wc{};
  wc.style = CS_DBLCLKS | CS_SAVEBITS;
  wc.lpfnWndProc = ::DefWindowProcW;
  wc.lpszClassName = kDialogClass;
  AfxRegisterClass(&wc);
  return kDialogClass;
}

}  // namespace

void DDX_Control(CDataExchange* exchange, int id, CWnd& control) {
  if (control.m_hWnd) return;
  HWND hwnd = ::GetDlgItem(exchange->m_pDlgWnd->m_hWnd, id);
  if (hwnd) control.SubclassWindow(hwnd);
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
  ON_COMMAND(IDOK, &CDialog::OnOK)
  ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDHelp(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() {
  if (m_hWnd) DestroyWindow();
}

INT_PTR CDialog::DoModal() {
  const DialogTemplate* dialog = AfxFindDialogTemplate(m_nIDHelp);
  if (!dialog) {
    ::SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return -1;
  }
  win32::RegisterDialogControlClasses();
  RECT frame{0, 0, dialog->cx, dialog->cy};
  AfxMapDialogRect(frame);
  HWND parent = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
  const DWORD style = dialog->style & ~WS_VISIBLE;
  if (!CreateEx(0, DialogClass(), dialog->title, style, 0, 0, frame.right, frame.bottom, parent, nullptr)) return -1;
  // The template gives the client area: the frame grows by the caption and borders.
  RECT window{}, client{};
  GetWindowRect(&window);
  GetClientRect(&client);
  SetWindowPos(nullptr, 0, 0, window.right - window.left + frame.right - client.right,
               window.bottom - window.top + frame.bottom - client.bottom,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (!CreateControls(*dialog)) {
    DestroyWindow();
    return -1;
  }
  CenterWindow();
  m_continueModal = true;
  m_nModalResult = -1;
  const bool focusFirst = SendMessage(WM_INITDIALOG, 0, 0) != 0;
  // The dialog may already have ended inside its initialisation.
  int result = m_nModalResult;
  if (m_hWnd && m_continueModal) {
    ShowWindow(SW_SHOW);
    // Unless the initialisation chose otherwise, the first control with WS_TABSTOP takes the
    // keyboard, as the dialog manager gives it.
    if (HWND first = focusFirst ? ::GetNextDlgTabItem(m_hWnd, nullptr, FALSE) : nullptr) ::SetFocus(first);
    result = RunModalLoop();
  }
  if (m_hWnd) DestroyWindow();
  return result;
}

BOOL CDialog::CreateControls(const DialogTemplate& dialog) {
  for (size_t i = 0; i < dialog.count; ++i) {
    const DialogItemTemplate& item = dialog.items[i];
    RECT rect{item.x, item.y, item.x + item.cx, item.y + item.cy};
    AfxMapDialogRect(rect);
    HWND hwnd = ::CreateWindowExW(0, item.className, item.text ? item.text : L"", item.style | WS_CHILD, rect.left,
                                  rect.top, rect.right - rect.left, rect.bottom - rect.top, m_hWnd,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(item.id)), nullptr, nullptr);
    if (!hwnd) return FALSE;
  }
  return TRUE;
}

void CDialog::EndDialog(int result) { EndModalLoop(result); }

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
  CDataExchange exchange(this, saveAndValidate);
  DoDataExchange(&exchange);
  return TRUE;
}

void CDialog::OnOK() {
  UpdateData(TRUE);
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  switch (message) {
    case WM_INITDIALOG:
      *result = OnInitDialog();
      return TRUE;
    case WM_CLOSE:
      // The close box and Alt+F4 are a cancel, as the dialog manager makes them.
      SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      *result = 0;
      return TRUE;
    default:
      return CWnd::OnWndMsg(message, wParam, lParam, result);
  }
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
  // Tab, Enter and Escape work as the dialog manager has them.
  if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST && m_hWnd &&
      (msg->hwnd == m_hWnd || ::IsChild(m_hWnd, msg->hwnd)))
    return ::IsDialogMessageW(m_hWnd, msg);
  return CWnd::PreTranslateMessage(msg);
}
