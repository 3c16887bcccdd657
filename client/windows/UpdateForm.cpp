#include "client/windows/UpdateForm.h"

#include <cmath>

#include "client/windows/AsyncDownloadFileThread.h"
#include "client/windows/ProgramImages.h"
#include "client/windows/UpdatePackage.h"
#include "win32/DialogManager.h"

namespace {

const wchar_t* const kPrompt = L"您的版本过低，检测到新的版本，是否选择升级：";

constexpr DWORD kText = WS_VISIBLE | SS_LEFT | WS_GROUP;
const DialogItemTemplate kItems[] = {
    {-1, WC_STATICW, WS_VISIBLE | SS_WHITERECT, nullptr, 0, 0, 331, 178},
    {-1, WC_STATICW, WS_VISIBLE | SS_BITMAP, MAKEINTRESOURCEW(IDB_UPDATE_SIDE), 0, 0, 109, 178},
    {-1, WC_STATICW, kText, kPrompt, 121, 5, 176, 8},
    {UpdateForm::IDC_PROGRESS, PROGRESS_CLASSW, WS_VISIBLE | WS_BORDER, nullptr, 121, 16, 202, 14},
    {UpdateForm::IDC_DESCRIPTION, WC_STATICW, kText, nullptr, 121, 33, 202, 145},
    {IDOK, WC_BUTTONW, WS_VISIBLE | BS_DEFPUSHBUTTON | WS_TABSTOP, L"立即更新", 216, 186, 50, 14},
    {UpdateForm::IDC_STOP_DOWNLOAD, WC_BUTTONW, WS_VISIBLE | BS_PUSHBUTTON | WS_TABSTOP, L"取消", 273, 186, 50, 12},
    {-1, WC_STATICW, WS_VISIBLE | SS_BITMAP, MAKEINTRESOURCEW(IDB_UPDATE_LINE), 0, 178, 331, 1},
    {IDCANCEL, WC_BUTTONW, WS_VISIBLE | BS_PUSHBUTTON | WS_TABSTOP, L"稍后再说", 274, 186, 50, 14},
};
const DialogTemplate kDialog{WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS,
                             L"Dorv 更新程序", 331, 207, kItems, sizeof(kItems) / sizeof(kItems[0])};
const AfxDialogResource kResource(UpdateForm::IDD, kDialog);

// How long the download thread waits for the bar before it looks again
// whether the dialog is stopping it.
constexpr UINT kProgressWaitMs = 50;

}  // namespace

BEGIN_MESSAGE_MAP(UpdateForm, CDialog)
  ON_COMMAND(IDOK, &UpdateForm::OnBnClickedUpdateNow)
  ON_COMMAND(UpdateForm::IDC_STOP_DOWNLOAD, &UpdateForm::OnBnClickedStopDownload)
  ON_COMMAND(IDCANCEL, &UpdateForm::OnBnClickedStopDownload)
  ON_MESSAGE(WM_NOTIFY_DOWNLOAD_DONE, &UpdateForm::OnDownloadFinished)
  ON_MESSAGE(WM_CTLCOLORSTATIC, &UpdateForm::OnCtlColor)
END_MESSAGE_MAP()

UpdateForm::UpdateForm(const CString& description, UpdatePackage* package)
    : CDialog(IDD), m_pPackage(package), m_sDescription(description) {
  AddProgramImages();
  m_hIcon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PROGRAM));
}

UpdateForm::~UpdateForm() {
  StopDownload();
  ::DeleteObject(m_whiteBrush);
}

void UpdateForm::DoDataExchange(CDataExchange* exchange) {
  CDialog::DoDataExchange(exchange);
  DDX_Control(exchange, IDC_DESCRIPTION, m_description);
  DDX_Control(exchange, IDOK, m_btnUpdate);
  DDX_Control(exchange, IDCANCEL, m_btnLater);
  DDX_Control(exchange, IDC_PROGRESS, m_progress);
  DDX_Control(exchange, IDC_STOP_DOWNLOAD, m_btnStop);
}

BOOL UpdateForm::OnInitDialog() {
  CDialog::OnInitDialog();
  SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

  CString text = m_sDescription;
  text.Replace(L"***", L"\r\n\r\n");  // the description's paragraph mark
  m_description.SetWindowText(text);

  m_progress.SetRange(0, 100);
  m_progress.SetStep(1);
  m_progress.SetPos(0);
  m_progress.ShowWindow(SW_HIDE);
  m_btnStop.ShowWindow(SW_HIDE);
  m_hDialog = m_hWnd;
  m_hProgress = m_progress.m_hWnd;
  return TRUE;
}

void UpdateForm::OnBnClickedUpdateNow() {
  // Enter still sends IDOK while the button is hidden: one transfer at a time.
  if (m_pDownloadThread || !m_btnUpdate.IsWindowVisible()) return;
  m_btnUpdate.ShowWindow(SW_HIDE);
  m_btnLater.ShowWindow(SW_HIDE);
  m_btnStop.ShowWindow(SW_SHOW);
  m_progress.ShowWindow(SW_SHOW);
  m_bStopping = false;
  m_pDownloadThread = m_pPackage ? m_pPackage->StartDownload([this](bool ok) { OnDownloadDone(ok); },
                                                             [this](const std::string& url, int received, int total) {
                                                               OnDownloadProgress(url, received, total);
                                                             })
                                 : nullptr;
  if (!m_pDownloadThread) PostMessage(WM_NOTIFY_DOWNLOAD_DONE, 0, 0);
}

void UpdateForm::OnDownloadProgress(const std::string&, int received, int total) {
  if (received > total) return;
  const int percent = total > 0 ? static_cast<int>(std::trunc(100.0 * received / total)) : 0;
  // Synchronous, but never a wait the UI thread cannot end: while it deletes
  // this thread it answers no messages, and the report is then dropped.
  while (!m_bStopping) {
    HWND bar = m_hProgress;
    DWORD_PTR previous = 0;
    if (!bar || SendMessageTimeoutW(bar, PBM_SETPOS, static_cast<WPARAM>(percent), 0, SMTO_NORMAL, kProgressWaitMs,
                                    &previous))
      return;
    if (!IsWindow(bar)) return;
  }
}

void UpdateForm::OnDownloadDone(bool ok) {
  if (HWND dialog = m_hDialog) PostMessageW(dialog, WM_NOTIFY_DOWNLOAD_DONE, ok ? 1 : 0, 0);
}

LRESULT UpdateForm::OnDownloadFinished(WPARAM wParam, LPARAM) {
  if (wParam) {
    CDialog::OnOK();
    return 0;
  }
  m_btnStop.SetWindowText(L"确定");
  if (HWND prompt = FindWindowExW(m_hWnd, nullptr, WC_STATICW, kPrompt)) SetWindowTextW(prompt, L"下载出错，请稍候重试");
  Invalidate(TRUE);
  return 0;
}

LRESULT UpdateForm::OnCtlColor(WPARAM wParam, LPARAM lParam) {
  const LRESULT brush = Default();
  const int id = ::GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
  if (id != -1 && id != IDC_DESCRIPTION) return brush;
  // The prompt and the description stand on white, like the area behind them.
  HDC dc = reinterpret_cast<HDC>(wParam);
  ::SetTextColor(dc, RGB(0, 0, 0));
  ::SetBkColor(dc, RGB(255, 255, 255));
  return reinterpret_cast<LRESULT>(m_whiteBrush);
}

void UpdateForm::OnBnClickedStopDownload() {
  StopDownload();
  CDialog::OnCancel();
}

void UpdateForm::StopDownload() {
  if (!m_pDownloadThread) return;
  m_bStopping = true;
  delete m_pDownloadThread;  // stops the transfer and joins the thread
  m_pDownloadThread = nullptr;
}
