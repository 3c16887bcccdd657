#pragma once
// Scaling by (sx, sy). The matrix form scales about a centre measured from
// the bounds' own corner (width and height times the origin); the drawing
// form scales about the coordinate origin. Nothing in the program sets one.
#include "ui/render/TransformBase.h"

namespace UI {

class CScaleTransform : public CTransformBase {
 public:
  CScaleTransform() = default;
  CScaleTransform(const CScaleTransform& other) = default;

  XFORM GetXForm() override;
  juce::AffineTransform GetAffineTransform() override;
  void SetControlBounds(CRect bounds) override;
  int IsIdentity() override;
  void Copy(CTransformBase* other) override;
  virtual void SetScaleRatio(float sx, float sy) { m_fScaleX = sx, m_fScaleY = sy; }
  virtual void SetScaleCenter(float x, float y) { m_fCenterX = x, m_fCenterY = y; }

  CPointF GetScaleCenter() const { return CPointF(m_fCenterX, m_fCenterY); }

 protected:
  CTransformBase* CreateSame() override { return new CScaleTransform; }

  float m_fCenterX = 0;
  float m_fCenterY = 0;
  float m_fScaleX = 1;
  float m_fScaleY = 1;
};

}  // namespace UI
