#pragma once
// Steps every running animation board of one form from one timer (14401).
// After each step it posts a WM_PAINT with wParam 14401; the form calls
// `AfterRefresh` once that paint is done, which re-arms the timer so that
// steps start about 20 ms apart and never pile up. Boards may be begun and
// stopped from any thread; values change and callbacks run on the UI thread.
#include <vector>

#include "ui/animation/UITime.h"
#include "win32/CriticalSection.h"
#include "win32/Windows.h"

namespace UI {

class AnimationBoard;
class CUIForm;

class AnimationController {
 public:
  static constexpr UINT kTimerId = 14401;
  static constexpr UINT kFrameMs = 20;

  AnimationController();
  AnimationController(const AnimationController&) = delete;
  AnimationController& operator=(const AnimationController&) = delete;
  // Deletes the boards it still owns.
  virtual ~AnimationController();

  virtual void Release() { delete this; }
  void SetWnd(HWND wnd) { m_hWnd = wnd; }
  // The timer's turn: steps the running boards in order, drops the stopped
  // ones and posts the frame's paint.
  virtual void OnTimer(CUIForm* form);
  // The frame's paint is done: the timer runs again while boards are left.
  virtual void AfterRefresh();

  size_t GetBoardCount() const { return m_boards.size(); }
  BOOL IsTimerArmed() const { return m_bTimer; }

 protected:
  friend class AnimationBoard;
  // Moves `board` to the end of the list.
  void Begin(AnimationBoard* board, int startTimer);
  // Takes `board` out of the list and deletes it unless its creator keeps it.
  void Stop(AnimationBoard* board);

 private:
  void Remove(AnimationBoard* board);
  bool Holds(AnimationBoard* board) const;

  HWND m_hWnd = nullptr;
  std::vector<AnimationBoard*> m_boards;
  BOOL m_bTimer = FALSE;
  CUITime m_lastTick;
  CRITICAL_SECTION m_lock;
  // While a step runs, boards stopped by its callbacks wait here to be deleted.
  bool m_bStepping = false;
  std::vector<AnimationBoard*> m_stoppedWhileStepping;
};

}  // namespace UI
