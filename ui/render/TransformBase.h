#pragma once
// The base of a control's drawing transform. A control owns its transform and
// hands each child a copy of its current value, measured against the bounds
// the transform was given.
namespace UI {

class CTransformBase {
 public:
  virtual ~CTransformBase() = default;
  virtual void SetControlBounds(int left, int top, int right, int bottom) = 0;
  // A new transform, owned by the caller, fixed at this one's current value.
  virtual CTransformBase* CloneCurrentValue() = 0;
};

}  // namespace UI
