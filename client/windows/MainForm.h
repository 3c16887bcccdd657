#pragma once
// The program's hidden main window. It is never shown: it exists to receive
// the program's private messages (other processes find it by its class
// "DorvMainFormClass" and title "Dorv") and to carry the tray icon, and it
// runs the exit command.
#include "ui/UIForm.h"
#include "win32/ShellNotify.h"

// Posted by a second instance of the program: lParam 1 when its command line
// was "ExploreRefresh", else 0.
constexpr UINT WM_NOTIFY_SECOND_INSTANCE = 0x424;

class CMainForm : public UI::CUIForm {
 public:
  static constexpr const wchar_t* kClassName = L"DorvMainFormClass";
  static constexpr const wchar_t* kTitle = L"Dorv";

  CMainForm();
  ~CMainForm() override;

  // Creates the hidden window. 1 on success, 0 when the window was not created
  // (then nothing else is done).
  int Create();
  // The exit command: marks the form as exiting, cancels the sync operations,
  // ends the modal windows and ends the message loop.
  void ExitApp();

  // The tray icon's record, with whether the icon is in the notification area
  // and whether it has been taken out again.
  NOTIFYICONDATAW m_nid{};
  BOOL m_bTrayInstalled = FALSE;
  BOOL m_bTrayRemoved = FALSE;
  // Set once the exit command ran; never cleared.
  BYTE m_bExiting = 0;

 protected:
  afx_msg LRESULT OnSecondInstance(WPARAM wParam, LPARAM lParam);
  // A polite close from outside (the session ending, a close request sent to
  // the program's windows) runs the exit command.
  afx_msg void OnClose();

  DECLARE_MESSAGE_MAP()
};
