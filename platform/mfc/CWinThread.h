#pragma once
// A thread with a message loop: Run pumps messages, offering each to
// PreTranslateMessage first, and does idle work when the queue is empty. The
// application object is one (CWinApp); the thread object of the calling thread is
// found with AfxGetThread.
#include "mfc/CCmdTarget.h"

class CWnd;

class CWinThread : public CCmdTarget {
 public:
  CWinThread();
  ~CWinThread() override;

  CWnd* m_pMainWnd = nullptr;  // the thread's main window: its end ends the loop
  DWORD m_nThreadID = 0;

  virtual BOOL InitInstance();
  // Returns the exit code: the WM_QUIT's code once the loop ran.
  virtual int ExitInstance();
  // The message loop; ends with WM_QUIT and returns ExitInstance().
  virtual int Run();
  // Retrieves and dispatches one message; FALSE when it was WM_QUIT.
  virtual BOOL PumpMessage();
  // Offers a message to the windows it is for and to the main window; TRUE takes it.
  virtual BOOL PreTranslateMessage(MSG* msg);
  // Idle work between messages; TRUE asks for more idle calls.
  virtual BOOL OnIdle(LONG count);
  virtual BOOL IsIdleMessage(MSG* msg);

 protected:
  MSG m_msgCur{};
};

// The thread object of the calling thread: the application on its UI thread.
CWinThread* AfxGetThread();
// Makes `thread` the calling thread's object (null: none).
void AfxSetThread(CWinThread* thread);
