#include "mfc/CRect.h"

#include <algorithm>
#include <utility>

namespace {
bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }
}  // namespace

bool CRect::EqualRect(LPCRECT r) const {
  return r != nullptr && left == r->left && top == r->top && right == r->right && bottom == r->bottom;
}

void CRect::NormalizeRect() {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
}

bool CRect::IntersectRect(LPCRECT a, LPCRECT b) {
  if (a == nullptr || b == nullptr) {
    SetRectEmpty();
    return false;
  }
  RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
         std::min(a->bottom, b->bottom)};
  if (Empty(*a) || Empty(*b) || Empty(r)) {
    SetRectEmpty();
    return false;
  }
  CopyRect(&r);
  return true;
}

bool CRect::UnionRect(LPCRECT a, LPCRECT b) {
  bool aEmpty = a == nullptr || Empty(*a);
  bool bEmpty = b == nullptr || Empty(*b);
  if (aEmpty && bEmpty) {
    SetRectEmpty();
    return false;
  }
  if (aEmpty) {
    CopyRect(b);
  } else if (bEmpty) {
    CopyRect(a);
  } else {
    SetRect(std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
            std::max(a->bottom, b->bottom));
  }
  return true;
}
