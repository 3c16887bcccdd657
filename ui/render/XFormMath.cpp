#include "ui/render/XFormMath.h"

#include <cmath>

namespace UI {

float CPointFDot(const CPointF* a, const CPointF* b) {
  if (!a || !b) return 0.0f;
  return a->x * b->x + a->y * b->y;
}

void CPointFNormalize(CPointF* out, const CPointF* in) {
  if (!out || !in) return;
  const float length = std::sqrt(in->x * in->x + in->y * in->y);
  *out = CPointF(in->x / length, in->y / length);
}

void XFormTransformPointF(const XFORM* xf, const CPointF* in, CPointF* out) {
  if (!xf || !in || !out) return;
  const CPointF p = *in;
  *out = CPointF(p.x * xf->eM11 + p.y * xf->eM21 + xf->eDx, p.x * xf->eM12 + p.y * xf->eM22 + xf->eDy);
}

void XFormTransformPoint(const XFORM* xf, const POINT* in, POINT* out) {
  if (!xf || !in || !out) return;
  const CPointF p(static_cast<float>(in->x), static_cast<float>(in->y));
  CPointF q;
  XFormTransformPointF(xf, &p, &q);
  out->x = static_cast<LONG>(std::nearbyint(q.x));
  out->y = static_cast<LONG>(std::nearbyint(q.y));
}

void ResetXForm(XFORM* xf) {
  if (xf) *xf = XFORM{1, 0, 0, 1, 0, 0};
}

XFORM XFormMultiply(const XFORM& a, const XFORM& b) {
  XFORM r;
  r.eM11 = a.eM11 * b.eM11 + a.eM12 * b.eM21;
  r.eM12 = a.eM11 * b.eM12 + a.eM12 * b.eM22;
  r.eM21 = a.eM21 * b.eM11 + a.eM22 * b.eM21;
  r.eM22 = a.eM21 * b.eM12 + a.eM22 * b.eM22;
  r.eDx = a.eDx * b.eM11 + a.eDy * b.eM21 + b.eDx;
  r.eDy = a.eDx * b.eM12 + a.eDy * b.eM22 + b.eDy;
  return r;
}

void XFormTransformationRotate(XFORM* xf, const CPointF* c, double angle) {
  if (!xf || !c) return;
  const float cosA = static_cast<float>(std::cos(angle));
  const float sinA = static_cast<float>(std::sin(angle));
  xf->eM11 = cosA;
  xf->eM12 = sinA;
  xf->eM21 = -sinA;
  xf->eM22 = cosA;
  xf->eDx = c->x - cosA * c->x + sinA * c->y;
  xf->eDy = c->y - cosA * c->y - sinA * c->x;
}

void XFormTransformationScale(XFORM* xf, const CPointF* c, float sx, float sy) {
  if (!xf || !c) return;
  *xf = XFORM{sx, 0, 0, sy, (1 - sx) * c->x, (1 - sy) * c->y};
}

double XFormModulus(const XFORM* xf) {
  if (!xf) return 0.0;
  return static_cast<double>(xf->eM11) * xf->eM22 - static_cast<double>(xf->eM21) * xf->eM12;
}

void XFormInverse(const XFORM* in, XFORM* out) {
  if (!in || !out) return;
  const XFORM m = *in;
  const double d = XFormModulus(&m);
  out->eM11 = static_cast<float>(m.eM22 / d);
  out->eM12 = static_cast<float>(-m.eM12 / d);
  out->eM21 = static_cast<float>(-m.eM21 / d);
  out->eM22 = static_cast<float>(m.eM11 / d);
  out->eDx = static_cast<float>((static_cast<double>(m.eDy) * m.eM21 - static_cast<double>(m.eDx) * m.eM22) / d);
  out->eDy = static_cast<float>((static_cast<double>(m.eDx) * m.eM12 - static_cast<double>(m.eM11) * m.eDy) / d);
}

int XFormIsIdentity(const XFORM* xf) {
  if (!xf) return 0;
  return xf->eM11 == 1 && xf->eM12 == 0 && xf->eM21 == 0 && xf->eM22 == 1 && xf->eDx == 0 && xf->eDy == 0;
}

float* D3DMatrixIdentity(float* m) {
  if (!m) return nullptr;
  for (int i = 0; i < 16; ++i) m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
  return m;
}

}  // namespace UI
