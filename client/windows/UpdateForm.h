#pragma once
// The update offer: the program's one plain dialog (resource 103), shown at
// start-up before the skins exist. "立即更新" downloads the installer with a
// progress bar and ends the dialog with IDOK once it is in place; "稍后再说",
// "取消", Escape and the close box end it with IDCANCEL (a running download is
// stopped). A failed download says so and leaves only "确定" to close.
#include <atomic>
#include <string>

#include "mfc/AfxWin.h"

class UpdatePackage;
class AsyncDownloadFileThread;

// Posted to the dialog by the download thread: wParam 1 when the installer is
// in place, 0 when the download failed.
constexpr UINT WM_NOTIFY_DOWNLOAD_DONE = WM_USER + 100;

class UpdateForm : public CDialog {
 public:
  static constexpr UINT IDD = 103;
  static constexpr int IDC_DESCRIPTION = 1000;
  static constexpr int IDC_STOP_DOWNLOAD = 1001;
  static constexpr int IDC_PROGRESS = 1002;

  UpdateForm(const CString& description, UpdatePackage* package);
  ~UpdateForm() override;

 protected:
  void DoDataExchange(CDataExchange* exchange) override;
  BOOL OnInitDialog() override;

  afx_msg void OnBnClickedUpdateNow();
  afx_msg void OnBnClickedStopDownload();
  afx_msg LRESULT OnDownloadFinished(WPARAM wParam, LPARAM lParam);
  // WM_CTLCOLORSTATIC: wParam the static's DC, lParam the static.
  afx_msg LRESULT OnCtlColor(WPARAM wParam, LPARAM lParam);

  // On the download thread.
  void OnDownloadDone(bool ok);
  void OnDownloadProgress(const std::string& url, int received, int total);

  DECLARE_MESSAGE_MAP()

 private:
  void StopDownload();

  CStatic m_description;
  UpdatePackage* m_pPackage;
  CString m_sDescription;
  CButton m_btnUpdate;
  CButton m_btnLater;
  CButton m_btnStop;
  CProgressCtrl m_progress;
  HICON m_hIcon = nullptr;  // icon 149, shared
  AsyncDownloadFileThread* m_pDownloadThread = nullptr;
  HBRUSH m_whiteBrush = ::CreateSolidBrush(RGB(255, 255, 255));  // behind the texts

  // What the download thread may touch: the windows it reports to, and
  // whether the UI thread is stopping it (and no longer answers).
  std::atomic<HWND> m_hDialog{nullptr};
  std::atomic<HWND> m_hProgress{nullptr};
  std::atomic<bool> m_bStopping{false};
};
