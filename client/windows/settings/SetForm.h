#pragma once
// The settings window: the "Common" page (start with the system, automatic
// sign-in, notifications, the signed-in account and its change, the sync
// folder and its change, the version) and the "Internet" page (the proxy,
// its test, and the bandwidth limits). The main form creates it from the tray
// menu and forgets it when it posts WM_NOTIFY_SETFORM_CLOSED; a closed form
// deletes itself (UI::CUIForm). Apply writes the registry's Run value and the
// desktop's autostart entry, the account's automatic sign-in flag and
// GlobalConfig, and tells the main form to apply the bandwidth limits.
//
// The proxy test and the server-folder look-up run on the Stat pool while the
// window keeps pumping; each has a time limit, and its answer comes back as a
// message. A new sync folder is chosen with the folder picker, checked, and
// bound by apply: the engine is stopped and cleared, the root re-bound, and
// the main form starts the engine on the new folder. UI thread only.
#include <memory>
#include <optional>
#include <vector>

#include "client/core/protocol/ServerDirInfo.h"
#include "client/windows/settings/BackgroundRequest.h"
#include "ui/UIForm.h"

namespace Net {
class ProxyCfg;
}
namespace UI {
class CUICheckBox;
class CUIComboBox;
class CUIEditEx;
}  // namespace UI
class FolderPicker;

class CSetForm : public UI::CUIForm {
 public:
  // The proxy types, in the order of the combo box's rows.
  enum ProxyType { kNoProxy = 0, kHttpProxy = 1, kSocks4Proxy = 2, kSocks5Proxy = 3 };
  // How long the window waits for the proxy test and for the server's folders.
  static constexpr UINT kProxyTestLimitMs = 20000;
  static constexpr UINT kServerDirLimitMs = 30000;
  // The answer of the proxy test (wParam: its ticket) and the timer of its limit.
  static constexpr UINT kProxyTestDoneMsg = WM_USER + 0x570;
  static constexpr UINT kProxyTestTimer = 1201;
  // The answer of the server-folder look-up (wParam: its ticket) and its limit.
  static constexpr UINT kServerDirDoneMsg = WM_USER + 0x571;
  static constexpr UINT kServerDirTimer = 1202;

  // mainForm: the window told of closing, apply and change of account; may be null.
  explicit CSetForm(CWnd* mainForm);
  ~CSetForm() override;

  // The window, on the "Common" page, centred and on top; 0 on failure.
  int Create();

  // The Run value "Dorv" and, on Linux, the autostart entry; each 1 on success.
  int IsAutoRun();
  int SetAutoRun();
  int RemoveAutoRun();

  // Apply: 0 when the form stays open (a proxy without address or port).
  int OnConfirm();
  int OnChangeAccount();
  // Picks a folder; when the server folder is not known yet, looks it up off
  // this thread first and goes on with the answer. Always 1 (0: refused by
  // the folder checks, which told the user).
  int OnChangeSyncFolder();
  // The look-up's answer: the reply's code (-1 without an answer) and the
  // service root's folders.
  void OnGetServerDirDone(int status, const std::vector<ServerDirInfo>& folders);
  bool IsServerDirRequestRunning() const { return m_serverDir.IsPending(); }
  const CString& GetPendingSyncFolder() const { return m_strPendingSyncFolder; }

  void InitAccountSection();
  void UpdatePathTexts();

  // The proxy page.
  void LoadProxyFields(int type);
  void SaveProxyFields();
  void SelectProxyType();
  int OnProxyTest();
  // The proxy type of the combo box's text; -1 when it names none.
  int GetComboProxyType();
  bool IsProxyTestRunning() const { return m_proxyTest.IsPending(); }

  const CString& GetAutoRunCommand() const { return m_strAutoRunCmd; }
  UI::CUIControl* GetCurrentPage() const { return m_pCurPage; }

  void ArrangeAllSubControls() override;

 protected:
  BOOL OnBuildControlAfter() override;
  BOOL OnKeyMessage(UINT message, UINT code, UINT repeat, UINT flags) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  // The caption's help button: the main form opens the help centre.
  afx_msg LRESULT OnHelpLink(WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()

  int OnClick(UI::CUIControl* sender, void* data);
  int OnSelectChanged(UI::CUIControl* sender, void* data);
  int OnComboTextFilled(UI::CUIControl* sender, void* data);
  void OnLimitEditChar(UI::CUIEditEx* edit, wchar_t ch, int& accept);
  // Brings a limit edit into 1-9999 once the user has left it: while typing, any
  // passing value (an emptied field, a fifth digit) stands as typed.
  void OnLimitEditFocusChanged(UI::CUIEditEx* edit);
  // The limit an edit holds, brought into 1-9999 (the edit shows what is taken).
  int TakeLimit(UI::CUIEditEx* edit);

 private:
  void BuildProxyPage();
  BOOL BuildBandwidthPanel();
  void SetCommonTabOrder();
  void SetInternetTabOrder();
  void CloseProxyList(const CPoint& point);
  void ShowBox(int kind, const wchar_t* panel, const wchar_t* titleKey);
  void OnProxyTestAnswer(WPARAM ticket);
  void OnProxyTestTimeout(UINT id);
  void EndProxyTest(bool ok, int type);
  void OnServerDirAnswer(WPARAM ticket);
  void OnServerDirTimeout(UINT id);
  void EndServerDirRequest();
  // The chosen folder checked and made pending; the return of OnChangeSyncFolder.
  int AcceptSyncFolder(const CString& path);
  void ShowFolderError(const wchar_t* key);
  // Applies a pending sync folder: true when the root was re-bound.
  bool RebindSyncFolder();
  void SetText(const wchar_t* id, const CString& text);
  void EnableControl(const wchar_t* id, BOOL enable);
  void Repaint();
  CString EditText(UI::CUIEditEx* edit) const;

  UI::CUIComboBox* m_pProxyTypeCombo = nullptr;
  UI::CUIEditEx* m_pServerAddressEdit = nullptr;
  UI::CUIEditEx* m_pPortEdit = nullptr;
  UI::CUIEditEx* m_pUserEdit = nullptr;
  UI::CUIEditEx* m_pPwdEdit = nullptr;
  CWnd* m_pMainForm = nullptr;
  UI::CUIControl* m_pCurPage = nullptr;
  // The setting of the proxy type shown.
  std::unique_ptr<Net::ProxyCfg> m_pProxyCfg;
  UI::CUICheckBox* m_pLimitCheckBox = nullptr;
  UI::CUIEditEx* m_pDownloadLimitEdit = nullptr;
  UI::CUIEditEx* m_pUploadLimitEdit = nullptr;
  // The folder the user chose and the server folder it is to be bound to,
  // applied by OnConfirm.
  CString m_strPendingSyncFolder;
  std::unique_ptr<ServerDirInfo> m_pPendingServerDir;
  BYTE m_bMerge = 0;
  // The folder picker while it is open.
  FolderPicker* m_pFolderPicker = nullptr;
  // The server-folder look-up in flight, with the folder it was asked for.
  struct ServerDirAnswer {
    int status = -1;
    std::vector<ServerDirInfo> folders;
  };
  BackgroundRequest<ServerDirAnswer> m_serverDir;
  CString m_strFolderAwaitingServer;
  CString m_strAutoRunCmd;
  // The program file that the command starts.
  CString m_strProgram;

  // The proxy test in flight, with the type it tests.
  BackgroundRequest<bool> m_proxyTest;
  int m_nTestingType = 0;
};
