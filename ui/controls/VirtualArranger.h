#pragma once
// The arithmetic of a virtualised list: cells of one size in a grid (as many
// per row as fit, spread evenly) or in one column, and the range of items whose
// rows meet the visible area. An arrangement or a range is stored only when it
// changed. The view gives ClearSubControls() and DeployItem(Item*).
#include <algorithm>
#include <cmath>
#include <iterator>
#include <list>

#include "mfc/Afx.h"

namespace UI {

enum ArrangeType : int {
  ArrangeSingleColumn = 1,
  ArrangeMultiColumn = 2,
};

template <typename View, typename Item>
class VirtualArranger {
 public:
  VirtualArranger() = default;
  ~VirtualArranger() = default;
  VirtualArranger(const VirtualArranger&) = default;
  VirtualArranger& operator=(const VirtualArranger&) = default;

  // 1 when the arrangement changed.
  int VirtualArrangeItemsMultiColumn(CRect area, int count, CSize cell, int padding) {
    VirtualArranger next = Scratch(cell, padding);
    const int width = area.right - area.left;
    if (count > 0) {
      // A cell and its padding of no width fit no row at all.
      const int pitch = cell.cx + padding;
      next.m_nCapacity = pitch > 0 ? (width - padding) / pitch : 0;
      if (next.m_nCapacity > 0) {
        const int capacity = next.m_nCapacity;
        next.m_nGap = (width - capacity * cell.cx) / (capacity + 1);
        if (count > capacity) {
          next.m_nRows = (count + capacity - 1) / capacity;
          next.m_nColumns = capacity;
          next.m_nContentWidth = next.m_nGap + capacity * (cell.cx + next.m_nGap);
          next.m_nContentHeight = padding + next.m_nRows * (cell.cy + padding);
        } else {
          next.m_nRows = 1;
          next.m_nColumns = count;
          next.m_nContentWidth = width;
          next.m_nContentHeight = cell.cy + 2 * padding;
        }
        next.m_rcContent.SetRect(area.left + next.m_nGap, area.top + padding,
                                 area.left + next.m_nColumns * (cell.cx + next.m_nGap),
                                 area.top + next.m_nRows * (cell.cy + padding));
      }
    }
    return Commit(next);
  }

  int VirtualArrangeItemsSingleColumn(CRect area, int count, CSize cell, int padding) {
    VirtualArranger next = Scratch(cell, padding);
    next.m_nCellWidth = std::max(static_cast<int>(cell.cx), static_cast<int>(area.right - area.left));
    next.m_nRows = count;
    next.m_nColumns = count > 0 ? 1 : 0;
    next.m_nCapacity = 1;
    next.m_nContentWidth = next.m_nCellWidth;
    next.m_nContentHeight = count * cell.cy;
    next.m_rcContent.SetRect(area.left, area.top, area.left + next.m_nCellWidth, area.top + count * cell.cy);
    return Commit(next);
  }

  // Makes the items of the rows that meet the visible area the view's children
  // and gives each its cell.
  void ViewDeployItems(View* view, CRect visible, CPoint origin, std::list<Item*> items, bool = false) {
    int first = 0;
    int count = 0;
    const int pitch = m_nCellHeight + m_nPadding;
    view->ClearSubControls();
    if (m_nRows > 0 && m_nColumns > 0 && !m_rcContent.IsRectEmpty() && m_nCellWidth && m_nCellHeight &&
        !items.empty() && pitch > 0) {
      const int e = origin.y / pitch;
      const int h = static_cast<int>(
          std::ceil(static_cast<double>(visible.bottom - visible.top - m_nPadding + origin.y) / pitch));
      if (h - 1 >= e && e >= 0) {
        first = e * m_nColumns;
        count = std::min(h * m_nColumns - first, static_cast<int>(items.size()) - first);
        auto at = items.begin();
        std::advance(at, std::min(first, static_cast<int>(items.size())));
        for (int r = 0; r < count && at != items.end(); ++r, ++at) {
          Item* item = *at;
          view->DeployItem(item);
          CRect cell;
          GetItemBoundsAt(static_cast<unsigned>(first + r), origin, cell);
          if (cell != item->GetBoundsSmall()) {
            item->SetBounds(cell);
            item->ArrangeAllSubControls();
          }
        }
      }
    }
    if (count <= 0) first = count = 0;
    if (first != m_nFirst || count != m_nCount || origin != m_ptOrigin) {
      m_nFirst = first;
      m_nCount = count;
      m_ptOrigin = origin;
    }
  }

  int m_nContentWidth = 0;
  int m_nContentHeight = 0;
  CRect m_rcContent;
  int m_nRows = 0;
  int m_nColumns = 0;
  int m_nCapacity = 0;
  int m_nPadding = 0;
  int m_nGap = 0;
  int m_nCellWidth = 0;
  int m_nCellHeight = 0;
  int m_nFirst = 0;
  int m_nCount = 0;
  CPoint m_ptOrigin;

 private:
  static VirtualArranger Scratch(CSize cell, int padding) {
    VirtualArranger next;
    next.m_nPadding = padding;
    next.m_nCellWidth = cell.cx;
    next.m_nCellHeight = cell.cy;
    return next;
  }

  // Stores the layout of `next` unless only the row capacity differs.
  int Commit(const VirtualArranger& next) {
    if (next.m_nContentWidth == m_nContentWidth && next.m_nContentHeight == m_nContentHeight &&
        next.m_rcContent == m_rcContent && next.m_nRows == m_nRows && next.m_nColumns == m_nColumns &&
        next.m_nPadding == m_nPadding && next.m_nGap == m_nGap && next.m_nCellWidth == m_nCellWidth &&
        next.m_nCellHeight == m_nCellHeight) {
      return 0;
    }
    m_nContentWidth = next.m_nContentWidth;
    m_nContentHeight = next.m_nContentHeight;
    m_rcContent = next.m_rcContent;
    m_nRows = next.m_nRows;
    m_nColumns = next.m_nColumns;
    m_nCapacity = next.m_nCapacity;
    m_nPadding = next.m_nPadding;
    m_nGap = next.m_nGap;
    m_nCellWidth = next.m_nCellWidth;
    m_nCellHeight = next.m_nCellHeight;
    return 1;
  }

  void GetItemBoundsAt(unsigned index, const CPoint& origin, CRect& out) const {
    const int capacity = m_nCapacity > 0 ? m_nCapacity : 1;
    const int column = static_cast<int>(index) % capacity;
    const int row = static_cast<int>(index) / capacity;
    out.left = column * (m_nGap + m_nCellWidth) + m_rcContent.left - origin.x;
    out.top = row * (m_nPadding + m_nCellHeight) + m_rcContent.top - origin.y;
    out.right = out.left + m_nCellWidth;
    out.bottom = out.top + m_nCellHeight;
  }
};

}  // namespace UI
