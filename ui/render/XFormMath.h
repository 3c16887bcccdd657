#pragma once
// Point and matrix helpers of the drawing transforms. A matrix product
// XFormMultiply(a, b) applies a first, then b.
#include "ui/render/RectF.h"
#include "win32/GdiXForm.h"

namespace UI {

float CPointFDot(const CPointF* a, const CPointF* b);
void CPointFNormalize(CPointF* out, const CPointF* in);
// Each mapped coordinate is rounded to the nearest integer, ties to even.
void XFormTransformPoint(const XFORM* xf, const POINT* in, POINT* out);
void XFormTransformPointF(const XFORM* xf, const CPointF* in, CPointF* out);
void ResetXForm(XFORM* xf);
XFORM XFormMultiply(const XFORM& a, const XFORM& b);
// Rotation by `angle` radians about the point c.
void XFormTransformationRotate(XFORM* xf, const CPointF* c, double angle);
void XFormTransformationScale(XFORM* xf, const CPointF* c, float sx, float sy);
double XFormModulus(const XFORM* xf);
// No check of the determinant: a singular matrix gives non-finite values.
void XFormInverse(const XFORM* in, XFORM* out);
int XFormIsIdentity(const XFORM* xf);
// A 4 by 4 float matrix set to the identity; null gives null.
float* D3DMatrixIdentity(float* m);

}  // namespace UI
