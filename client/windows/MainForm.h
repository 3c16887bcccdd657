#pragma once
// The program's hidden main window. It is never shown: it exists to receive
// the program's private messages (other processes find it by its class
// "DorvMainFormClass" and title "Dorv"), to carry the tray icon, to be the
// engine's ISyncNotifyUI; it signs the stored account in (or opens the
// wizard), starts the engine, and runs the exit command.
#include <atomic>
#include <deque>
#include <mutex>

#include "client/sync/SyncNotify.h"
#include "client/windows/AppMessages.h"
#include "client/windows/NotifyBalloon.h"
#include "client/windows/TrayIconImpl.h"
#include "ui/UIForm.h"
#include "win32/ShellNotify.h"

// Posted to itself when an engine thread left tray work for the window's thread.
constexpr UINT WM_NOTIFY_TRAY_PENDING = 0x433;

// The shell's balloon click, in the low word of a tray callback's lParam.
constexpr UINT NIN_BALLOONUSERCLICK = WM_USER + 5;

// The main form's timers.
constexpr UINT_PTR TIMER_TRAY_ANIMATION = 7;
constexpr UINT_PTR TIMER_REINSTALL_TRAY_ICON = 36;
// The reachability probe before the automatic sign-in (a form timer handler).
constexpr UINT TIMER_NET_PROBE = 6;
constexpr UINT kNetProbeMs = 3000;
constexpr UINT kTrayAnimationMs = 125;
constexpr UINT kReinstallTrayMs = 20000;

class CInitSetForm;
class LoginManager;
struct UserFilesCountReply;

namespace UI {
class IMenu;
class _ImageConfig;
}  // namespace UI

// The settings' bandwidth limits given to the network library (no limit when
// they are off).
void ApplyBandwidthLimits();

class CMainForm : public UI::CUIForm, public UI::CTrayIconImpl<CMainForm>, public ISyncNotifyUI {
 public:
  static constexpr const wchar_t* kClassName = L"DorvMainFormClass";
  static constexpr const wchar_t* kTitle = L"Dorv";

  CMainForm();
  ~CMainForm() override;

  // Creates the hidden window and runs StartUp, then applies the bandwidth
  // limits. 1 on success, 0 when the window was not created (then nothing
  // else is done).
  int Create();
  // The exit command. While uploads are queued the user is asked first (one
  // box at a time; a refusal keeps the program running). Then: no sign-in
  // calls back, the engine's workers are told to stop and joined, operations
  // in flight cancelled, the download staging folder emptied, the modal
  // windows ended and the message loop ended.
  void ExitApp();
  // The exit without the question: from the confirmed exit command, and from
  // a close of the window by others (the session ending, a signal).
  void EndProgram();

  // ---- Start-up (MainFormStartUp.cpp) ----
  // Tray icon, the engine's workers, then the stored account: the wizard when
  // none can sign in by itself, else the automatic sign-in (at once, or once
  // the reachability probe succeeds).
  void StartUp();
  void OnNetProbeTimer(UINT id);
  void StartAutoLogin();
  // The sign-in manager's completion callback (a pool thread): hands over to
  // the window's thread.
  static void PostAutoLoginNotify(void* context);
  LRESULT AfterAutoLogin(WPARAM wParam, LPARAM lParam);
  // After a sign-in or a finished set-up: the engine's workflow when the sync
  // folder is in place, else the folder page or the missing-folder box.
  void CheckSyncFolderAndStart();
  // The missing-folder box: non-zero to exit, 0 to choose the folder again.
  int AskSyncFolderMissing();
  void BeginInitLogicFlow();

  // ---- The wizard (MainFormWizard.cpp) ----
  // Closes an open wizard (it no longer reports to this form) and opens a new
  // one without parent in mode; 0 when it could not be opened.
  int ReopenWizard(int mode);
  // The open wizard to the front, else the sync folder in the file manager.
  void ShowWizardOrSyncFolder();
  void OpenSyncFolder();
  CInitSetForm* GetInitSetForm() const { return m_pInitSetForm; }
  // The automatic sign-in's manager; null before one was started.
  const LoginManager* GetLoginManager() const { return m_pLoginManager; }

  // ---- Tray menu (TrayMenu.cpp) ----
  // The entries' command ids.
  enum TrayMenuId {
    kTrayMenuOpenFolder = 0,
    kTrayMenuWebSite = 1,
    kTrayMenuRecentFiles = 2,
    kTrayMenuAccount = 3,
    kTrayMenuSpaceInfo = 4,
    kTrayMenuStatus = 5,
    kTrayMenuPause = 6,
    kTrayMenuSettings = 7,
    kTrayMenuHelp = 8,
    kTrayMenuFeedback = 9,
    kTrayMenuAbout = 10,
    kTrayMenuExit = 11,
    kTrayMenuSignIn = 12,
  };
  // Builds the menu of the engine's state at the cursor, or shows the open one there again.
  void ShowTrayMenu();
  void OnTrayMenuCommand(UI::IMenu* node);
  bool AddConnectingMenuItem(UI::IMenu* root, UI::_ImageConfig* icon);
  void AddRecentFilesMenu(UI::IMenu* root);
  void AddSpaceInfoMenuItem(UI::IMenu* root);
  void AddStatusMenuItems(UI::IMenu* root, int engineState, UI::_ImageConfig* icon);
  // The storage request's completion, on a pool thread; context is the main
  // window's handle, which the figures are posted to.
  static void OnUserFileDataResult(void* context, const UserFilesCountReply* reply);
  // The open menu's storage line from the figures just stored.
  LRESULT OnSpaceInfoUpdated(WPARAM wParam, LPARAM lParam);
  void ShowSettingsForm();
  void ShowAboutForm();

  // The settings form while it is open (made by the tray menu); owned.
  UI::CUIForm* m_pSetForm = nullptr;
  // The about box while it runs modally; it lives on the stack of ShowAboutForm.
  UI::CUIForm* m_pAboutForm = nullptr;

  // ISyncNotifyUI: called on engine threads, each returns at once. The tray
  // itself is changed on the window's thread: a call from another thread
  // leaves its change for it.
  void SetTrayIcon(int iconId) override;
  void NotifyPathStatus(juce::String path, int state) override;
  void NotifySyncEvent(SyncNotifyInfo info) override;

  // The tray's status text (see TrayStatusTip.h) of the engine's tracker and
  // the tip list.
  void BuildStatusTip(CString& out, int reserve);
  // The tip on a mouse move over the icon: the version line and the status.
  void RefreshTrayTip();
  // Next frame of the syncing animation (timer 7).
  void StepTrayAnimation();
  // A click on the balloon: the credit guide after "storage full", else the
  // notified item in the file manager when the balloon offered that.
  void OnBalloonClick();
  void LocateNotifiedFile();
  // Shows a synced file selected in the file manager. Its path is made of
  // names from the service: it is shown only when it lies inside the sync
  // root, through no link.
  static void LocateSyncedFile(const juce::String& path);

  // Set by an outside removal of the icon at exit.
  BOOL m_bTrayRemoved = FALSE;
  // Set once the exit command ran; never cleared.
  BYTE m_bExiting = 0;

  // The process-wide frame index of the syncing animation: -1 before the
  // first frame, never reset.
  static int s_nTrayFrame;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  afx_msg LRESULT OnSecondInstance(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnBandwidthChanged(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnTrayPending(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnOpenHelp(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnOpenCreditGuide(WPARAM wParam, LPARAM lParam);
  afx_msg void OnTimer(UINT_PTR id);
  // A polite close from outside (the session ending, a close request sent to
  // the program's windows) runs the exit command.
  afx_msg void OnClose();

  DECLARE_MESSAGE_MAP()

 private:
  // Tray work of an engine thread, done in order on the window's thread.
  struct PendingTray {
    bool isBalloon = false;
    int iconId = 0;
    NotifyBalloon balloon;
  };

  // A new wizard in mode (an open one is closed first and no longer reports
  // here); null when it could not be made.
  CInitSetForm* OpenWizard(int mode, CWnd* parent);
  // The wizard for an account that can't sign in by itself: its name filled,
  // the focus on the password.
  void OfferStoredAccount(const juce::String& account);
  // A failed automatic sign-in: signed out, and the wizard with the stored
  // account, its masked password and the result's error text.
  void ShowAutoLoginFailure(int resultCode);
  // Releases a form this one owns (a closed window is gone already).
  static void ReleaseForm(UI::CUIForm* form);
  void ChangeAccount();

  bool OnWindowThread() const;
  void QueueTrayWork(PendingTray work);
  void ApplyTrayIcon(int iconId);
  void ApplyBalloon(const NotifyBalloon& balloon);
  void InstallTrayIcon();
  void OnReinstallTimer();

  // 1 when the last balloon has an item to locate, and that item's full path;
  // under m_balloonLock.
  int m_nBalloonTargetValid = 0;
  CString m_strBalloonTarget;
  std::mutex m_balloonLock;
  // The type of the last notification, read when a balloon is clicked.
  std::atomic<int> m_nLastNotifyType{-1};

  std::mutex m_pendingLock;
  std::deque<PendingTray> m_pending;

  // The sign-in manager of the automatic sign-in; owned, made by the first.
  LoginManager* m_pLoginManager = nullptr;
  // The wizard while it is open; it deletes itself when its window closes.
  CInitSetForm* m_pInitSetForm = nullptr;
  // 1 while the exit confirmation is up (and after the user confirmed).
  BYTE m_bExitConfirming = 0;

  // "TaskbarCreated": the shell's taskbar was created again.
  UINT m_uTaskbarCreated = 0;
};
