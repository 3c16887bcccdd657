#include "ui/render/RotateTransform.h"

#include "ui/render/TransformHelper.h"
#include "ui/render/XFormMath.h"

namespace UI {

CRotateTransform::CRotateTransform(float angle, const CRect* bounds) : m_fAngle(angle) {
  if (bounds) m_rcBounds = *bounds;
}

void CRotateTransform::SetControlBounds(CRect bounds) {
  m_rcBounds = bounds;
  m_fCenterX = static_cast<float>(bounds.left) + static_cast<float>(bounds.right - bounds.left) * m_origin.x;
  m_fCenterY = static_cast<float>(bounds.top) + static_cast<float>(bounds.bottom - bounds.top) * m_origin.y;
}

int CRotateTransform::IsIdentity() { return m_fAngle >= -0.009f && m_fAngle <= 0.009f ? 1 : 0; }

XFORM CRotateTransform::GetXForm() {
  XFORM rotation;
  ResetXForm(&rotation);
  if (!IsIdentity()) {
    const CPointF centre(m_fCenterX, m_fCenterY);
    XFormTransformationRotate(&rotation, &centre, CTransformHelper::ToRadians(m_fAngle));
  }
  return XFormMultiply(rotation, m_xform);
}

juce::AffineTransform CRotateTransform::GetAffineTransform() {
  const juce::AffineTransform stored = CTransformBase::GetAffineTransform();
  if (IsIdentity()) return stored;
  return juce::AffineTransform::rotation(CTransformHelper::ToRadians(m_fAngle), m_fCenterX, m_fCenterY)
      .followedBy(stored);
}

void CRotateTransform::Copy(CTransformBase* other) {
  if (!other || other == this) return;
  CTransformBase::Copy(other);
  if (auto* rotation = dynamic_cast<CRotateTransform*>(other)) {
    m_fAngle = rotation->m_fAngle;
    m_fCenterX = rotation->m_fCenterX;
    m_fCenterY = rotation->m_fCenterY;
  }
}

}  // namespace UI
