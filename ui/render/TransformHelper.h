#pragma once
// Rectangle and point helpers over the transform matrices. Angles are in
// degrees, converted with pi as the float 3.1415927.
#include "mfc/Afx.h"
#include "ui/render/RectF.h"
#include "win32/GdiXForm.h"

namespace UI {

class CTransformHelper {
 public:
  static float ToRadians(float degrees) { return degrees * 3.1415927f / 180.0f; }

  static void TransformPoint(const XFORM& xf, CPoint in, CPoint& out);
  static void TransformPointF(const XFORM& xf, CPointF in, CPointF& out);
  static void TransformRect(const XFORM& xf, CPointF& p1, CPointF& p2, CPointF& p3, CPointF& p4, CPointF& q1,
                            CPointF& q2, CPointF& q3, CPointF& q4);
  // Maps only the corners (left, top) and (right, bottom) and spans them,
  // each edge truncated toward zero.
  static void RotateRect(CRect& r, float degrees, const CPoint& centre);
  static void RotateRectF(RectF& r, float degrees, float cx, float cy);
  // Each edge moved to s * edge + (1 - s) * centre, rounded half to even.
  static void ScaleRect(CRect& r, float s, CPoint centre);
  static void TranslateRect(CRect& r, CSize d) { r.OffsetRect(d.cx, d.cy); }
};

}  // namespace UI
