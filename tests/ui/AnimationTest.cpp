// Animation boards stepped by a form's controller on the test clock: frames
// in order, the end of an animation, the timer's re-arming, and boards
// stopped from inside the callbacks of a step.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "display/Desktop.h"
#include "ui/UIForm.h"
#include "ui/animation/AnimationBoard.h"
#include "ui/animation/AnimationController.h"
#include "ui/skin/UISkinManager.h"
#include "win32/ManualClock.h"

namespace {

using display::Desktop;
using UI::AnimationBoard;
using UI::AnimationController;
using UI::AnimationRange;
using UI::CUIForm;
using UI::CUITimeSpan;

class Form : public CUIForm {
 public:
  Form() { SetObjectID(L"Main"); }
  int Make() {
    if (!Create(WS_POPUP, L"DorvAnimationTest", L"test", nullptr, 0, CRect(0, 0, 100, 50))) return 0;
    ShowWindow(SW_SHOW);
    Desktop::Get().PumpUntilIdle();
    return 1;
  }
  AnimationController* Controller() { return GetAnimationController(); }
};

// A board that logs its callbacks and its deletion; its value-changed callback
// may run a test's action.
class LoggedBoard : public AnimationBoard {
 public:
  LoggedBoard(std::vector<std::string>* log, const char* name) : m_log(log), m_name(name) {
    SetCallbackValueChanged(fastdelegate::MakeDelegate(this, &LoggedBoard::OnValues));
    SetCallbackCompleted(fastdelegate::MakeDelegate(this, &LoggedBoard::OnCompleted));
  }
  ~LoggedBoard() override { m_log->push_back(m_name + " deleted"); }
  void OnValues(double* before, double* after, unsigned count) {
    std::string line = m_name + " " + std::to_string(count);
    for (unsigned i = 0; i < count; ++i) {
      line += " " + std::to_string(static_cast<int>(before[i])) + ">" + std::to_string(static_cast<int>(after[i]));
    }
    m_log->push_back(line);
    if (onValues) onValues();
  }
  void OnCompleted() { m_log->push_back(m_name + " completed"); }
  std::function<void()> onValues;

 private:
  std::vector<std::string>* m_log;
  std::string m_name;
};

bool InThemeFolder() {
  if (!uitest::InProgramFolder(uitest::SkinTheme("", "", "<Main/>"))) return false;
  UI::CUISkinManager::GetInstance()->InitSkinData();
  return true;
}

// A form on the test clock.
struct OnTestClock {
  win32::ManualClock clock;
  win32::ScopedClock use{clock};
  Form form;
};

// Moves the clock and lets the form serve its timer and the frame's paint.
void Step(win32::ManualClock& clock, unsigned ms) {
  clock.Advance(ms);
  Desktop::Get().PumpUntilIdle();
}

TEST(AnimationTest, ABoardStepsItsTargetsEveryFrameInOrderAndEndsOnItsToValues) {
  if (!InThemeFolder()) return;
  OnTestClock on;
  Form& form = on.form;
  win32::ManualClock& clock = on.clock;
  ASSERT_EQ(form.Make(), 1);
  std::vector<std::string> log;
  int32_t values[2] = {7, 7};
  auto* board = new LoggedBoard(&log, "a");
  board->SetTarget(values, 2, UI::TARGET_INT32);
  board->SetRange(AnimationRange{0, 100, 1}, 0);
  board->SetRange(AnimationRange{100, 0, 1}, 1);
  board->SetRange(AnimationRange{5, 5, 1}, 2);  // past the targets: ignored
  board->SetDuration(CUITimeSpan(100));
  board->Begin(&form, 1);
  EXPECT_TRUE(form.Controller()->IsTimerArmed());

  Step(clock, 19);
  EXPECT_TRUE(log.empty());  // the first frame comes 20 ms after Begin
  for (int i = 0; i < 5; ++i) Step(clock, i == 0 ? 1 : 20);
  const std::vector<std::string> expected = {
      "a 2 7>20 7>80", "a 2 20>40 80>60", "a 2 40>60 60>40", "a 2 60>80 40>20",
      "a completed",   "a 2 80>100 20>0", "a deleted"};
  EXPECT_EQ(log, expected);
  EXPECT_EQ(values[0], 100);
  EXPECT_EQ(values[1], 0);
  // With no board left the timer stays killed until a board starts it again.
  EXPECT_EQ(form.Controller()->GetBoardCount(), 0u);
  EXPECT_FALSE(form.Controller()->IsTimerArmed());
  Step(clock, 100);
  EXPECT_EQ(log.size(), expected.size());
  form.DestroyWindow();
}

TEST(AnimationTest, FormulasAndTypesGiveTheirValuesHalfWay) {
  if (!InThemeFolder()) return;
  OnTestClock on;
  Form& form = on.form;
  win32::ManualClock& clock = on.clock;
  ASSERT_EQ(form.Make(), 1);
  uint8_t opacity = 0;  // 127.5 rounds to the even 128
  float power = 0;
  double never = -1;
  auto* linear = new AnimationBoard;
  linear->SetTarget(&opacity, 1, UI::TARGET_UINT8);
  linear->SetRange(AnimationRange{0, 255, 1}, 0);
  linear->SetDuration(CUITimeSpan(1000));
  auto* squared = new AnimationBoard;
  squared->SetTarget(&power, 1, UI::TARGET_FLOAT);
  squared->SetRange(AnimationRange{0, 100, 2}, 0);
  squared->SetFormula(UI::FORMULA_POW);
  squared->SetDuration(CUITimeSpan(1000));
  // Begun without starting the timer: it waits for another board's timer.
  auto* instant = new AnimationBoard;
  instant->SetTarget(&never, 1, UI::TARGET_DOUBLE);
  instant->SetRange(AnimationRange{0, 42, 1}, 0);
  instant->Begin(&form, 0);
  EXPECT_FALSE(form.Controller()->IsTimerArmed());
  Step(clock, 100);
  EXPECT_EQ(never, -1);
  linear->Begin(&form, 1);
  squared->Begin(&form, 1);
  linear->Begin(&form, 1);  // again: one entry, moved to the end
  EXPECT_EQ(form.Controller()->GetBoardCount(), 3u);
  Step(clock, 20);
  EXPECT_EQ(never, 42);  // duration 0: its to value at the first step, and gone
  EXPECT_EQ(form.Controller()->GetBoardCount(), 2u);
  for (int i = 0; i < 24; ++i) Step(clock, 20);  // 500 ms after Begin
  EXPECT_EQ(opacity, 128);
  EXPECT_FLOAT_EQ(power, 25.0f);
  form.DestroyWindow();  // the controller deletes the boards still running
}

TEST(AnimationTest, BoardsStoppedFromTheCallbacksOfAStepAreDeletedOnceAfterIt) {
  if (!InThemeFolder()) return;
  OnTestClock on;
  Form& form = on.form;
  win32::ManualClock& clock = on.clock;
  ASSERT_EQ(form.Make(), 1);
  std::vector<std::string> log;
  int a = 0, b = 0, c = 0;
  auto* first = new LoggedBoard(&log, "a");
  auto* second = new LoggedBoard(&log, "b");
  auto* kept = new LoggedBoard(&log, "c");  // the creator keeps this one
  kept->SetIsControllable(1);
  for (auto [board, value] : {std::pair{first, &a}, {second, &b}, {kept, &c}}) {
    board->SetTarget(value, 1, UI::TARGET_INT32);
    board->SetRange(AnimationRange{0, 1000, 1}, 0);
    board->SetDuration(CUITimeSpan(1000));
    board->Begin(&form, 1);
  }
  // The first board's second frame stops itself, the board after it and the kept one.
  int frames = 0;
  first->onValues = [&] {
    if (++frames < 2) return;
    first->Stop(&form);
    second->Stop(&form);
    kept->Stop(&form);
    kept->Stop(&form);  // stopping twice does nothing more
  };
  Step(clock, 20);
  Step(clock, 20);
  const std::vector<std::string> expected = {"a 1 0>20", "b 1 0>20", "c 1 0>20", "a 1 20>40", "a deleted",
                                             "b deleted"};
  EXPECT_EQ(log, expected);
  EXPECT_EQ(form.Controller()->GetBoardCount(), 0u);
  EXPECT_EQ(kept->GetState(), UI::ANIMATION_STOPPED);
  Step(clock, 20);
  EXPECT_EQ(log.size(), expected.size());

  // A board stopped before it was begun is still its creator's.
  kept->Begin(&form, 1);
  kept->Stop(&form);
  auto* unbegun = new LoggedBoard(&log, "d");
  unbegun->Stop(&form);
  EXPECT_EQ(log.size(), expected.size());
  delete unbegun;
  delete kept;
  form.DestroyWindow();
}

}  // namespace
