#pragma once
// Rotation by an angle in degrees about a centre that follows the control's
// bounds and origin; angles within 0.009 degrees of zero count as none.
#include "ui/render/TransformBase.h"

namespace UI {

class CRotateTransform : public CTransformBase {
 public:
  CRotateTransform() = default;
  CRotateTransform(float angle, const CRect* bounds);
  CRotateTransform(const CRotateTransform& other) = default;

  XFORM GetXForm() override;
  juce::AffineTransform GetAffineTransform() override;
  void SetControlBounds(CRect bounds) override;
  int IsIdentity() override;
  void Copy(CTransformBase* other) override;
  virtual void SetRotateAngle(float angle) { m_fAngle = angle; }
  virtual void SetRotateCenter(float x, float y) { m_fCenterX = x, m_fCenterY = y; }

  float GetRotateAngle() const { return m_fAngle; }
  CPointF GetRotateCenter() const { return CPointF(m_fCenterX, m_fCenterY); }

 protected:
  CTransformBase* CreateSame() override { return new CRotateTransform; }

  float m_fAngle = 0;
  float m_fCenterX = 0;
  float m_fCenterY = 0;
};

}  // namespace UI
