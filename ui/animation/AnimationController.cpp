#include "ui/animation/AnimationController.h"

#include <algorithm>

#include "ui/UIForm.h"
#include "ui/animation/AnimationBoard.h"

namespace UI {

namespace {

class SectionGuard {
 public:
  explicit SectionGuard(CRITICAL_SECTION* section) : m_section(section) { ::EnterCriticalSection(section); }
  ~SectionGuard() { ::LeaveCriticalSection(m_section); }

 private:
  CRITICAL_SECTION* m_section;
};

}  // namespace

AnimationController::AnimationController() { ::InitializeCriticalSection(&m_lock); }

AnimationController::~AnimationController() {
  for (AnimationBoard* board : m_boards) {
    if (!board->GetIsControllable()) delete board;
  }
  m_boards.clear();
  ::DeleteCriticalSection(&m_lock);
}

bool AnimationController::Holds(AnimationBoard* board) const {
  return std::find(m_boards.begin(), m_boards.end(), board) != m_boards.end();
}

void AnimationController::Remove(AnimationBoard* board) {
  m_boards.erase(std::remove(m_boards.begin(), m_boards.end(), board), m_boards.end());
}

void AnimationController::Begin(AnimationBoard* board, int startTimer) {
  SectionGuard guard(&m_lock);
  Remove(board);
  // Stopped and begun again within one step: it lives on.
  m_stoppedWhileStepping.erase(std::remove(m_stoppedWhileStepping.begin(), m_stoppedWhileStepping.end(), board),
                               m_stoppedWhileStepping.end());
  m_boards.push_back(board);
  if (!m_bTimer && startTimer) {
    ::SetTimer(m_hWnd, kTimerId, kFrameMs, nullptr);
    m_bTimer = TRUE;
  }
}

void AnimationController::Stop(AnimationBoard* board) {
  SectionGuard guard(&m_lock);
  // Only a board in the list is the controller's to delete: one stopped
  // before it was begun still belongs to its creator.
  if (!Holds(board)) return;
  Remove(board);
  if (board->GetIsControllable()) return;
  if (m_bStepping) {
    m_stoppedWhileStepping.push_back(board);
  } else {
    delete board;
  }
}

void AnimationController::OnTimer(CUIForm* form) {
  SectionGuard guard(&m_lock);
  ::KillTimer(m_hWnd, kTimerId);
  m_lastTick = CUITime::Now();
  // The callbacks of a step may begin or stop boards, this one included: walk
  // a copy, step only boards still in the list, and delete the stopped ones
  // after the walk.
  const bool outer = !m_bStepping;
  m_bStepping = true;
  const std::vector<AnimationBoard*> boards = m_boards;
  for (AnimationBoard* board : boards) {
    if (Holds(board) && board->GetState() == ANIMATION_RUNNING) board->NextFrame(form);
  }
  std::vector<AnimationBoard*> ended;
  for (AnimationBoard* board : m_boards) {
    if (board->GetState() == ANIMATION_STOPPED) ended.push_back(board);
  }
  for (AnimationBoard* board : ended) {
    Remove(board);
    if (!board->GetIsControllable()) m_stoppedWhileStepping.push_back(board);
  }
  if (outer) {
    m_bStepping = false;
    std::vector<AnimationBoard*> doomed;
    doomed.swap(m_stoppedWhileStepping);
    for (AnimationBoard* board : doomed) delete board;
  }
  ::PostMessageW(m_hWnd, WM_PAINT, kTimerId, 0);
}

void AnimationController::AfterRefresh() {
  if (m_boards.empty()) {
    m_bTimer = FALSE;
    return;
  }
  const unsigned since = (CUITime::Now() - m_lastTick).GetTotalMillisecond();
  ::SetTimer(m_hWnd, kTimerId, since < kFrameMs ? kFrameMs - since : 1, nullptr);
}

}  // namespace UI
