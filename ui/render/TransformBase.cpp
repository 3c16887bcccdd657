#include "ui/render/TransformBase.h"

#include "ui/render/XFormMath.h"

namespace UI {

CTransformBase::CTransformBase() : m_pAffine(new juce::AffineTransform()) { ResetXForm(&m_xform); }

CTransformBase::CTransformBase(const CTransformBase& other)
    : m_rcBounds(other.m_rcBounds), m_xform(other.m_xform),
      m_pAffine(new juce::AffineTransform(other.m_pAffine ? *other.m_pAffine : juce::AffineTransform())),
      m_origin(other.m_origin) {}

CTransformBase::~CTransformBase() { delete m_pAffine; }

XFORM CTransformBase::GetXForm() { return m_xform; }

juce::AffineTransform CTransformBase::GetAffineTransform() {
  return m_pAffine ? *m_pAffine : juce::AffineTransform();
}

XFORM CTransformBase::GetInverseXForm() {
  const XFORM xf = GetXForm();
  XFORM inverse;
  XFormInverse(&xf, &inverse);
  return inverse;
}

int CTransformBase::IsIdentity() {
  return XFormIsIdentity(&m_xform) && (!m_pAffine || m_pAffine->isIdentity()) ? 1 : 0;
}

void CTransformBase::Copy(CTransformBase* other) {
  if (!other || other == this) return;
  m_rcBounds = other->m_rcBounds;
  m_xform = other->m_xform;
  *m_pAffine = other->m_pAffine ? *other->m_pAffine : juce::AffineTransform();
  m_origin = other->m_origin;
}

CTransformBase* CTransformBase::Clone() {
  CTransformBase* copy = CreateSame();
  copy->Copy(this);
  return copy;
}

CTransformBase* CTransformBase::CloneCurrentValue() {
  CTransformBase* snapshot = CreateSame();
  snapshot->m_xform = GetXForm();
  *snapshot->m_pAffine = GetAffineTransform();
  return snapshot;
}

}  // namespace UI
