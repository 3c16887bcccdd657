#pragma once
// The GDI world-transform record: a point (x, y) maps to
// (x*eM11 + y*eM21 + eDx, x*eM12 + y*eM22 + eDy).
#ifndef DORV_XFORM_DEFINED
#define DORV_XFORM_DEFINED
struct XFORM {
  float eM11;
  float eM12;
  float eM21;
  float eM22;
  float eDx;
  float eDy;
};
using PXFORM = XFORM*;
using LPXFORM = XFORM*;
#endif
