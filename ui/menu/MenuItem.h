#pragma once
// The row view a CUIMenu keeps for each child node it shows: where the row
// lies in the menu's client area and whether it is highlighted. It reads the
// node and owns nothing.
#include "mfc/Afx.h"

namespace UI {

class CUIMenu;
class IMenu;
class _ImageConfig;

class MenuItem {
 public:
  MenuItem(int height, IMenu* node, CUIMenu* menu) : m_nHeight(height), m_pNode(node), m_pMenu(menu) {}
  MenuItem(const MenuItem&) = default;
  MenuItem& operator=(const MenuItem&) = default;

  int GetPos() const { return m_nPos; }
  void SetPos(int pos) { m_nPos = pos; }
  int GetHeight() const { return m_nHeight; }
  // The row's bottom; its top when it has no height.
  int GetValidEndPos() const { return m_nHeight > 0 ? m_nPos + m_nHeight : m_nPos; }
  // Selected, and not a separator.
  int IsSel() const;
  // Separators are never selected.
  void SetSel(int selected);

  CString GetCaption() const;
  int IsChecked() const;
  int IsDisabled() const;
  _ImageConfig* GetICONImage() const;
  CString GetICONFile() const;
  int IsSeparator() const { return GetCaption().IsEmpty() ? 1 : 0; }
  int HasSubMenus() const;
  IMenu* GetNode() const { return m_pNode; }
  CUIMenu* GetMenu() const { return m_pMenu; }

 private:
  int m_nPos = 0;
  int m_nHeight = 0;
  int m_bSelected = 0;
  IMenu* m_pNode = nullptr;
  CUIMenu* m_pMenu = nullptr;
};

}  // namespace UI
