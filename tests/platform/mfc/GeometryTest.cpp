#include <gtest/gtest.h>

#include "mfc/CRect.h"

TEST(CRect, MeasuresAndPoints) {
  CRect r(10, 20, 110, 70);
  EXPECT_EQ(r.Width(), 100);
  EXPECT_EQ(r.Height(), 50);
  EXPECT_EQ(r.Size(), CSize(100, 50));
  EXPECT_EQ(r.CenterPoint(), CPoint(60, 45));
  EXPECT_TRUE(r.PtInRect(CPoint(10, 20)));
  EXPECT_FALSE(r.PtInRect(CPoint(110, 20)));  // right edge lies outside
  EXPECT_FALSE(r.PtInRect(CPoint(10, 70)));
  r.TopLeft() = CPoint(0, 0);
  EXPECT_EQ(r, CRect(0, 0, 110, 70));
  r.BottomRight() += CSize(-10, -20);
  EXPECT_EQ(r, CRect(0, 0, 100, 50));
  EXPECT_TRUE(CRect(5, 5, 5, 9).IsRectEmpty());
  EXPECT_TRUE(CRect(5, 5, 4, 9).IsRectEmpty());
  EXPECT_TRUE(CRect().IsRectNull());
  EXPECT_EQ(CRect(CPoint(1, 2), CSize(3, 4)), CRect(1, 2, 4, 6));
}

TEST(CRect, MovesAndResizes) {
  CRect r(0, 0, 10, 10);
  r.OffsetRect(5, 6);
  EXPECT_EQ(r, CRect(5, 6, 15, 16));
  r.InflateRect(1, 2);
  EXPECT_EQ(r, CRect(4, 4, 16, 18));
  r.DeflateRect(1, 2, 3, 4);
  EXPECT_EQ(r, CRect(5, 6, 13, 14));
  r.MoveToXY(0, 0);
  EXPECT_EQ(r, CRect(0, 0, 8, 8));
  CRect n(10, 10, 0, 0);
  n.NormalizeRect();
  EXPECT_EQ(n, CRect(0, 0, 10, 10));
  EXPECT_EQ(r + CPoint(1, 1), CRect(1, 1, 9, 9));
  EXPECT_EQ(r - CSize(1, 1), CRect(-1, -1, 7, 7));
}

TEST(CRect, IntersectAndUnion) {
  struct Row { CRect a, b, inter, uni; bool overlaps; };
  const Row rows[] = {
      {{0, 0, 10, 10}, {5, 5, 15, 15}, {5, 5, 10, 10}, {0, 0, 15, 15}, true},
      {{0, 0, 10, 10}, {10, 0, 20, 10}, {0, 0, 0, 0}, {0, 0, 20, 10}, false},  // touching edges
      {{0, 0, 10, 10}, {20, 20, 30, 30}, {0, 0, 0, 0}, {0, 0, 30, 30}, false},
      {{0, 0, 10, 10}, {3, 3, 3, 3}, {0, 0, 0, 0}, {0, 0, 10, 10}, false},  // empty operand
  };
  for (const Row& r : rows) {
    CRect i;
    EXPECT_EQ(i.IntersectRect(&r.a, &r.b), r.overlaps);
    EXPECT_EQ(i, r.inter);
    CRect u;
    EXPECT_TRUE(u.UnionRect(&r.a, &r.b));
    EXPECT_EQ(u, r.uni);
    EXPECT_EQ(r.a & r.b, r.inter);
    EXPECT_EQ(r.a | r.b, r.uni);
  }
  CRect viaConversion;
  EXPECT_TRUE(viaConversion.IntersectRect(rows[0].a, CRect(rows[0].b)));  // CRect converts to LPCRECT
  EXPECT_EQ(viaConversion, rows[0].inter);
  CRect self(0, 0, 10, 10);
  self &= CRect(5, 0, 20, 5);
  EXPECT_EQ(self, CRect(5, 0, 10, 5));
}

TEST(CPointAndCSize, Arithmetic) {
  CPoint p(3, 4);
  EXPECT_EQ(p + CSize(1, 1), CPoint(4, 5));
  EXPECT_EQ(p - CPoint(1, 1), CSize(2, 3));
  EXPECT_EQ(-p, CPoint(-3, -4));
  p.Offset(1, -1);
  EXPECT_EQ(p, CPoint(4, 3));
  CSize s(2, 2);
  s += CSize(1, 2);
  EXPECT_EQ(s, CSize(3, 4));
  EXPECT_NE(s, CSize(4, 3));
}
