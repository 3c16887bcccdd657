#include "mfc/CWinThread.h"

#include "mfc/CWnd.h"

namespace {
thread_local CWinThread* t_thread = nullptr;
}

CWinThread* AfxGetThread() { return t_thread; }

void AfxSetThread(CWinThread* thread) { t_thread = thread; }

CWinThread::CWinThread() : m_nThreadID(::GetCurrentThreadId()) {}

CWinThread::~CWinThread() {
  if (t_thread == this) t_thread = nullptr;
}

BOOL CWinThread::InitInstance() { return FALSE; }

int CWinThread::ExitInstance() {
  // Only the running thread's own object owns its temporary objects (a library's
  // application object ends on a thread that is not its own).
  if (AfxGetThread() == this) CWnd::DeleteTempMap();
  return static_cast<int>(m_msgCur.wParam);
}

BOOL CWinThread::PumpMessage() {
  if (!::GetMessageW(&m_msgCur, nullptr, 0, 0)) return FALSE;
  if (!PreTranslateMessage(&m_msgCur)) {
    ::TranslateMessage(&m_msgCur);
    ::DispatchMessageW(&m_msgCur);
  }
  return TRUE;
}

BOOL CWinThread::PreTranslateMessage(MSG* msg) {
  HWND main = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
  if (CWnd::WalkPreTranslateTree(main, msg)) return TRUE;
  // A message for a window outside the main window's tree still passes the main window.
  if (main && msg->hwnd && msg->hwnd != main && !::IsChild(main, msg->hwnd))
    return m_pMainWnd->PreTranslateMessage(msg);
  return FALSE;
}

BOOL CWinThread::OnIdle(LONG count) {
  if (count == 0) CWnd::DeleteTempMap();
  return FALSE;
}

BOOL CWinThread::IsIdleMessage(MSG* msg) {
  // Paint and the system's own timer ticks do not start another round of idle work.
  return msg->message != WM_PAINT && msg->message != 0x0118 /* WM_SYSTIMER */;
}

int CWinThread::Run() {
  LONG idleCount = 0;
  bool idle = true;
  for (;;) {
    MSG peek;
    while (idle && !::PeekMessageW(&peek, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!OnIdle(idleCount++)) idle = false;
    }
    do {
      if (!PumpMessage()) return ExitInstance();
      if (IsIdleMessage(&m_msgCur)) {
        idle = true;
        idleCount = 0;
      }
    } while (::PeekMessageW(&peek, nullptr, 0, 0, PM_NOREMOVE));
  }
}
