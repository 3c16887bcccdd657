#pragma once
// An animation: targets of one type, a range for each, a duration and a
// formula. Begun on a form, it is stepped by that form's controller until its
// duration has passed or it is stopped. A board that is not controllable
// belongs to the controller from `Begin` on and is deleted by it once it
// stops; its creator must not use it afterwards.
#include <vector>

#include "fastdelegate/FastDelegate.h"
#include "ui/animation/AnimationTarget.h"
#include "ui/animation/UITime.h"

namespace UI {

class CUIForm;

// (old values, new values, number of targets); the arrays live only during the call.
using AnimationValueChanged = fastdelegate::FastDelegate3<double*, double*, unsigned int>;
using AnimationCompleted = fastdelegate::FastDelegate0<>;

class AnimationBoard {
 public:
  AnimationBoard() = default;
  AnimationBoard(const AnimationBoard&) = delete;
  AnimationBoard& operator=(const AnimationBoard&) = delete;
  // Virtual: the controller deletes derived boards through this base.
  virtual ~AnimationBoard();

  // `count` targets at `first` apart by the type's size, each with the range
  // 0 to 0 (power 1): set the ranges after the targets.
  void SetTarget(void* first, unsigned count, TARGET_TYPE type);
  // Ignored for an index past the targets.
  void SetRange(const AnimationRange& range, unsigned index);
  void SetFormula(FORMULA_TYPE formula) { m_formula = formula; }
  void SetDuration(const CUITimeSpan& duration) { m_duration = duration; }
  void SetIsControllable(int controllable) { m_bControllable = controllable; }
  int GetIsControllable() const { return m_bControllable; }
  ANIMATION_STATE GetState() const { return m_state; }
  void SetCallbackValueChanged(AnimationValueChanged callback) { m_onValueChanged = callback; }
  void SetCallbackCompleted(AnimationCompleted callback) { m_onCompleted = callback; }

  // Starts the clock and hands the board to the form's controller, which arms
  // its timer when `startTimer` is non-zero and no timer runs.
  void Begin(CUIForm* form, int startTimer);
  // Stops a board that has not stopped yet; a board the controller owns is
  // deleted (at once, or after the step in progress).
  void Stop(CUIForm* form);
  void Pause() {}
  void Resume() {}

  // One step: every target moves to its value for the time elapsed; at the
  // end of the duration each takes its `to` exactly, the board stops and the
  // completed callback runs, then the value-changed callback.
  virtual void NextFrame(CUIForm* form);
  virtual double CalculateAsLinear(const double& from, const double& to, CUITimeSpan elapsed);
  virtual double CalculateAsPow(const double& from, const double& to, const double& power, CUITimeSpan elapsed);

 private:
  void FreeTargets();

  std::vector<AnimationTarget*> m_targets;
  FORMULA_TYPE m_formula = FORMULA_LINEAR;
  std::vector<AnimationRange*> m_ranges;
  CUITimeSpan m_duration;
  CUITime m_startTime;
  ANIMATION_STATE m_state = ANIMATION_NOTBEGIN;
  int m_bControllable = 0;
  AnimationValueChanged m_onValueChanged;
  AnimationCompleted m_onCompleted;
};

}  // namespace UI
