#include "ui/render/ScaleTransform.h"

#include "ui/render/XFormMath.h"

namespace UI {

void CScaleTransform::SetControlBounds(CRect bounds) {
  m_rcBounds = bounds;
  m_fCenterX = static_cast<float>(bounds.right - bounds.left) * m_origin.x;
  m_fCenterY = static_cast<float>(bounds.bottom - bounds.top) * m_origin.y;
}

int CScaleTransform::IsIdentity() { return m_fScaleX == 1 && m_fScaleY == 1 ? 1 : 0; }

XFORM CScaleTransform::GetXForm() {
  XFORM scale;
  ResetXForm(&scale);
  if (!IsIdentity()) {
    const CPointF centre(m_fCenterX, m_fCenterY);
    XFormTransformationScale(&scale, &centre, m_fScaleX, m_fScaleY);
  }
  return XFormMultiply(scale, m_xform);
}

juce::AffineTransform CScaleTransform::GetAffineTransform() {
  const juce::AffineTransform stored = CTransformBase::GetAffineTransform();
  if (IsIdentity()) return stored;
  return juce::AffineTransform::scale(m_fScaleX, m_fScaleY).followedBy(stored);
}

void CScaleTransform::Copy(CTransformBase* other) {
  if (!other || other == this) return;
  CTransformBase::Copy(other);
  if (auto* scale = dynamic_cast<CScaleTransform*>(other)) {
    m_fCenterX = scale->m_fCenterX;
    m_fCenterY = scale->m_fCenterY;
    m_fScaleX = scale->m_fScaleX;
    m_fScaleY = scale->m_fScaleY;
  }
}

}  // namespace UI
