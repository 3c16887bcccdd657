// The transforms' numbers: matrices, rectangle helpers and the rotation and
// scale classes.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "UiTestSupport.h"
#include "ui/render/RotateTransform.h"
#include "ui/render/ScaleTransform.h"
#include "ui/render/TransformHelper.h"
#include "ui/render/XFormMath.h"

namespace {

using namespace UI;

TEST(TransformTest, PointsRoundHalfToEvenAndProductsApplyTheFirstMatrixFirst) {
  const XFORM shift{1, 0, 0, 1, 0.5f, 1.5f};
  POINT in{2, 2}, out{};
  XFormTransformPoint(&shift, &in, &out);
  EXPECT_EQ(out.x, 2);  // 2.5
  EXPECT_EQ(out.y, 4);  // 3.5

  const XFORM doubled{2, 0, 0, 2, 0, 0};
  const XFORM moved{1, 0, 0, 1, 10, 0};
  CPointF p(1, 1), q;
  const XFORM both = XFormMultiply(doubled, moved);  // double, then move
  XFormTransformPointF(&both, &p, &q);
  EXPECT_EQ(q, CPointF(12, 2));

  XFORM inverse;
  XFormInverse(&both, &inverse);
  CPointF back;
  XFormTransformPointF(&inverse, &q, &back);
  EXPECT_EQ(back, p);

  const XFORM singular{1, 2, 2, 4, 0, 0};
  XFormInverse(&singular, &inverse);
  EXPECT_FALSE(std::isfinite(inverse.eM11));

  XFORM identity;
  ResetXForm(&identity);
  EXPECT_EQ(XFormIsIdentity(&identity), 1);
  EXPECT_EQ(XFormIsIdentity(&shift), 0);
  EXPECT_DOUBLE_EQ(XFormModulus(&doubled), 4.0);
  float m[16];
  EXPECT_EQ(D3DMatrixIdentity(m), m);
  EXPECT_EQ(m[0] + m[5] + m[10] + m[15], 4.0f);
  EXPECT_EQ(D3DMatrixIdentity(nullptr), nullptr);
  const CPointF a(3, 4);
  EXPECT_EQ(CPointFDot(&a, &a), 25.0f);
  EXPECT_EQ(CPointFDot(&a, nullptr), 0.0f);
  CPointF unit;
  CPointFNormalize(&unit, &a);
  EXPECT_FLOAT_EQ(unit.x, 0.6f);
}

TEST(TransformTest, RectangleHelpers) {
  CRect r(0, 0, 10, 20);
  CTransformHelper::RotateRect(r, 90, CPoint(0, 0));
  EXPECT_EQ(r, CRect(-20, 0, 0, 9));  // 9.999999 truncated

  CRect s(10, 10, 20, 20);
  CTransformHelper::ScaleRect(s, 2, CPoint(15, 15));
  EXPECT_EQ(s, CRect(5, 5, 25, 25));

  CRect t(1, 2, 3, 4);
  CTransformHelper::TranslateRect(t, CSize(10, 20));
  EXPECT_EQ(t, CRect(11, 22, 13, 24));
}

TEST(TransformTest, RotationIsIdentityWithinAHundredthOfADegreeAndTurnsAboutTheBoundsCentre) {
  CRotateTransform rotation;
  rotation.SetRotateAngle(0.005f);
  EXPECT_EQ(rotation.IsIdentity(), 1);
  rotation.SetRotateAngle(0.01f);
  EXPECT_EQ(rotation.IsIdentity(), 0);

  rotation.SetControlBounds(CRect(100, 100, 200, 200));
  EXPECT_EQ(rotation.GetRotateCenter(), CPointF(150, 150));
  rotation.SetRotateAngle(90);
  CPoint mapped;
  CTransformHelper::TransformPoint(rotation.GetXForm(), CPoint(200, 150), mapped);
  EXPECT_EQ(mapped, CPoint(150, 200));
  float x = 200, y = 150;
  rotation.GetAffineTransform().transformPoint(x, y);
  EXPECT_NEAR(x, 150, 1e-3);
  EXPECT_NEAR(y, 200, 1e-3);

  // A child's snapshot carries the mapping but no angle of its own.
  std::unique_ptr<CTransformBase> snapshot(rotation.CloneCurrentValue());
  auto* frozen = dynamic_cast<CRotateTransform*>(snapshot.get());
  ASSERT_NE(frozen, nullptr);
  EXPECT_EQ(frozen->GetRotateAngle(), 0.0f);
  CTransformHelper::TransformPoint(frozen->GetXForm(), CPoint(200, 150), mapped);
  EXPECT_EQ(mapped, CPoint(150, 200));
  std::unique_ptr<CTransformBase> copy(rotation.Clone());
  EXPECT_EQ(dynamic_cast<CRotateTransform*>(copy.get())->GetRotateAngle(), 90.0f);
}

TEST(TransformTest, ScaleMatrixUsesTheCentreWithoutTheBoundsOffsetAndDrawingScalesAboutTheOrigin) {
  CScaleTransform scale;
  EXPECT_EQ(scale.IsIdentity(), 1);
  scale.SetControlBounds(CRect(100, 100, 200, 200));
  EXPECT_EQ(scale.GetScaleCenter(), CPointF(50, 50));
  scale.SetScaleRatio(2, 2);
  CPointF p;
  CTransformHelper::TransformPointF(scale.GetXForm(), CPointF(50, 50), p);
  EXPECT_EQ(p, CPointF(50, 50));
  float x = 50, y = 50;
  scale.GetAffineTransform().transformPoint(x, y);
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 100);
}

}  // namespace
