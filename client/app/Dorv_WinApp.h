#pragma once
// The program's application object: one instance at a time (the named event
// "Dorv Start Running Event" marks the running one; a second start hands its
// command line to it and ends), the start-up of the core and the hidden main
// window, and the exit in its fixed order.
#include <atomic>

#include "crashhandler/FaultTrapInterface.h"
#include "mfc/AfxWin.h"

class CMainForm;
struct UpdateInfo;
class UpdatePackage;

// A background job left to the application object; deleted at exit.
class CAppBackgroundJob {
 public:
  virtual ~CAppBackgroundJob() = default;
};

class CDorv_WinApp : public CWinApp {
 public:
  static constexpr const wchar_t* kStartEventName = L"Dorv Start Running Event";

  CDorv_WinApp();

  BOOL InitInstance() override;
  int ExitInstance() override;

  // A manual-reset event, initially signalled, kept under its name until
  // CloseNamedEvent. False when the name exists already or the event can't be
  // made.
  static bool CreateNamedEvent(const CString& name);
  // Resets and closes the event of that name; an unknown name does nothing.
  static void CloseNamedEvent(const CString& name);

  // Posts the running instance's main window WM_NOTIFY_SECOND_INSTANCE, with
  // lParam 1 when this process's command line is "ExploreRefresh" (any case),
  // else 0. Nothing once this process is exiting.
  void ActivateRunningInstance();
  // Offers the update in the update dialog (mode 0) or starts its installer
  // shown (mode 1). Non-zero when the installer was started and the start
  // must end; 0 to go on.
  static int ShowUpdateForm(int mode, UpdateInfo& info, UpdatePackage& package);
  void InstallCrashHandler();
  // Opens the log with the welcome text (product and system version) when it
  // isn't open; false when it can't be.
  static bool OpenLog();
  // The core's start-up steps; 0 at the first that fails.
  BOOL InitializeApp();
  void HideAllForms();
  void FreeGlobalObjects();
  void DestroyMainForm();

  // From any thread: asks the program to end as the user would, through the
  // main window's close; before the window exists, through a quit message.
  void RequestClose();

  CMainForm* m_pMainForm = nullptr;
  FaultTrapInterface* m_pFaultTrap = nullptr;
  // A background update download left by the start-up update check.
  CAppBackgroundJob* m_pUpdateDownload = nullptr;
  int m_nExiting = 0;

 protected:
  DECLARE_MESSAGE_MAP()

 private:
  // The main window while it exists, for RequestClose from other threads.
  std::atomic<HWND> m_hCloseTarget{nullptr};
};
