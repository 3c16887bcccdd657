#include "ui/render/TransformHelper.h"

#include <algorithm>
#include <cmath>

#include "ui/render/XFormMath.h"

namespace UI {

void CTransformHelper::TransformPoint(const XFORM& xf, CPoint in, CPoint& out) {
  POINT result{};
  XFormTransformPoint(&xf, &in, &result);
  out = CPoint(result.x, result.y);
}

void CTransformHelper::TransformPointF(const XFORM& xf, CPointF in, CPointF& out) {
  XFormTransformPointF(&xf, &in, &out);
}

void CTransformHelper::TransformRect(const XFORM& xf, CPointF& p1, CPointF& p2, CPointF& p3, CPointF& p4,
                                     CPointF& q1, CPointF& q2, CPointF& q3, CPointF& q4) {
  XFormTransformPointF(&xf, &p1, &q1);
  XFormTransformPointF(&xf, &p2, &q2);
  XFormTransformPointF(&xf, &p3, &q3);
  XFormTransformPointF(&xf, &p4, &q4);
}

void CTransformHelper::RotateRectF(RectF& r, float degrees, float cx, float cy) {
  XFORM xf;
  const CPointF centre(cx, cy);
  XFormTransformationRotate(&xf, &centre, ToRadians(degrees));
  const CPointF a(r.left, r.top), b(r.right, r.bottom);
  CPointF ma, mb;
  XFormTransformPointF(&xf, &a, &ma);
  XFormTransformPointF(&xf, &b, &mb);
  r = RectF(std::min(ma.x, mb.x), std::min(ma.y, mb.y), std::max(ma.x, mb.x), std::max(ma.y, mb.y));
}

void CTransformHelper::RotateRect(CRect& r, float degrees, const CPoint& centre) {
  RectF f(r);
  RotateRectF(f, degrees, static_cast<float>(centre.x), static_cast<float>(centre.y));
  r.SetRect(static_cast<int>(f.left), static_cast<int>(f.top), static_cast<int>(f.right),
            static_cast<int>(f.bottom));
}

void CTransformHelper::ScaleRect(CRect& r, float s, CPoint centre) {
  const float cx = static_cast<float>(centre.x), cy = static_cast<float>(centre.y);
  auto edge = [s](LONG v, float c) { return static_cast<int>(std::nearbyint(s * static_cast<float>(v) + (1 - s) * c)); };
  r.SetRect(edge(r.left, cx), edge(r.top, cy), edge(r.right, cx), edge(r.bottom, cy));
}

}  // namespace UI
