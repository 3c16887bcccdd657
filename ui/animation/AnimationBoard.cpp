#include "ui/animation/AnimationBoard.h"

#include <cmath>

#include "ui/UIForm.h"
#include "ui/animation/AnimationController.h"

namespace UI {

AnimationBoard::~AnimationBoard() { FreeTargets(); }

void AnimationBoard::FreeTargets() {
  for (AnimationTarget* target : m_targets) delete target;
  m_targets.clear();
  for (AnimationRange* range : m_ranges) delete range;
  m_ranges.clear();
}

void AnimationBoard::SetTarget(void* first, unsigned count, TARGET_TYPE type) {
  FreeTargets();
  const unsigned stride = AnimationTarget::Stride(type);
  for (unsigned i = 0; i < count; ++i) {
    m_targets.push_back(new AnimationTarget(static_cast<char*>(first) + i * stride, type));
    m_ranges.push_back(new AnimationRange);
  }
}

void AnimationBoard::SetRange(const AnimationRange& range, unsigned index) {
  if (index < m_targets.size()) *m_ranges[index] = range;
}

void AnimationBoard::Begin(CUIForm* form, int startTimer) {
  m_startTime = CUITime::Now();
  m_state = ANIMATION_RUNNING;
  if (form && form->GetAnimationController()) form->GetAnimationController()->Begin(this, startTimer);
}

void AnimationBoard::Stop(CUIForm* form) {
  if (m_state == ANIMATION_STOPPED) return;
  m_state = ANIMATION_STOPPED;
  if (form && form->GetAnimationController()) form->GetAnimationController()->Stop(this);
}

double AnimationBoard::CalculateAsLinear(const double& from, const double& to, CUITimeSpan elapsed) {
  return from + static_cast<double>(elapsed.GetTicks()) / static_cast<double>(m_duration.GetTicks()) * (to - from);
}

double AnimationBoard::CalculateAsPow(const double& from, const double& to, const double& power, CUITimeSpan elapsed) {
  const double e = elapsed.GetTotalMillisecond();
  const double d = m_duration.GetTotalMillisecond();
  return from + (to - from) / std::pow(d, power) * std::pow(e, power);
}

void AnimationBoard::NextFrame(CUIForm*) {
  const CUITimeSpan elapsed = CUITime::Now() - m_startTime;
  const bool ended = elapsed >= m_duration;
  const size_t count = m_targets.size();
  std::vector<double> before(count), after(count);
  for (size_t i = 0; i < count; ++i) {
    AnimationTarget* target = m_targets[i];
    const AnimationRange& range = *m_ranges[i];
    before[i] = target->GetValue();
    if (ended) {
      target->SetValue(range.to);
    } else if (m_formula == FORMULA_LINEAR) {
      target->SetValue(CalculateAsLinear(range.from, range.to, elapsed));
    } else if (m_formula == FORMULA_POW) {
      target->SetValue(CalculateAsPow(range.from, range.to, range.power, elapsed));
    }
    after[i] = target->GetValue();
  }
  // The callbacks may stop the board: the controller then deletes it only
  // after this step has returned.
  if (ended) {
    m_state = ANIMATION_STOPPED;
    if (m_onCompleted) m_onCompleted();
  }
  if (m_onValueChanged) m_onValueChanged(before.data(), after.data(), static_cast<unsigned>(count));
}

}  // namespace UI
