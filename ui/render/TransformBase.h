#pragma once
// A control's drawing transform, kept in two forms: a matrix for geometry
// (transformed bounds and points) and a JUCE affine for drawing. The origin is
// a point relative to the control's bounds, the centre at first. A control
// owns its transform and hands each child a frozen copy of its current value.
#include <juce_graphics/juce_graphics.h>

#include "mfc/Afx.h"
#include "ui/render/RectF.h"
#include "win32/GdiXForm.h"

namespace UI {

class CTransformBase {
 public:
  CTransformBase();
  CTransformBase(const CTransformBase& other);
  CTransformBase& operator=(const CTransformBase&) = delete;

  // The virtual operations keep this order; derived classes append theirs.
  virtual ~CTransformBase();
  virtual XFORM GetXForm();
  virtual juce::AffineTransform GetAffineTransform();
  virtual void SetTransformOriginPoint(CPointF origin) { m_origin = origin; }
  virtual void SetControlBounds(CRect bounds) { m_rcBounds = bounds; }
  virtual XFORM GetInverseXForm();
  virtual int IsIdentity();
  virtual CTransformBase* Clone();
  // A new transform of the same class whose own values are neutral and whose
  // stored forms are this one's current mapping.
  virtual CTransformBase* CloneCurrentValue();
  virtual void Copy(CTransformBase* other);

  CRect GetControlBounds() const { return m_rcBounds; }
  CPointF GetTransformOriginPoint() const { return m_origin; }

 protected:
  // A new, default object of this object's own class.
  virtual CTransformBase* CreateSame() { return new CTransformBase; }

  CRect m_rcBounds;
  XFORM m_xform;
  juce::AffineTransform* m_pAffine;
  CPointF m_origin{0.5f, 0.5f};
};

class CTranslateTransform : public CTransformBase {
 protected:
  CTransformBase* CreateSame() override { return new CTranslateTransform; }
};

class CSkewTransform : public CTransformBase {
 protected:
  CTransformBase* CreateSame() override { return new CSkewTransform; }
};

class CTransformGroup : public CTransformBase {
 protected:
  CTransformBase* CreateSame() override { return new CTransformGroup; }
};

}  // namespace UI
