#pragma once
// The float geometry of drawing and transforms.
#include "mfc/Afx.h"

namespace UI {

struct RectF {
  float left = 0, top = 0, right = 0, bottom = 0;

  RectF() = default;
  RectF(float l, float t, float r, float b) : left(l), top(t), right(r), bottom(b) {}
  explicit RectF(const RECT& r)
      : left(static_cast<float>(r.left)), top(static_cast<float>(r.top)), right(static_cast<float>(r.right)),
        bottom(static_cast<float>(r.bottom)) {}

  float Width() const { return right - left; }
  float Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool IsZero() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
  friend bool operator==(const RectF&, const RectF&) = default;
};

struct CPointF {
  float x = 0, y = 0;
  CPointF() = default;
  CPointF(float px, float py) : x(px), y(py) {}
  friend bool operator==(const CPointF&, const CPointF&) = default;
};

}  // namespace UI
