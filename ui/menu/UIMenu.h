#pragma once
// The skinned popup menu: a borderless, topmost tool window that shows the
// children of one IMenu node as rows, highlights the row under the pointer,
// opens a child menu for a row with children when the pointer rests on it (or
// by the arrow keys), and runs a chosen row. Open menus form a chain
// root -> child -> grandchild; only the root knows its owner form and the
// tree it shows.
//
// Closing: the chain closes as a whole (a row chosen, activation lost to a
// window outside the chain, Escape through the owner form, a click on the
// owner form). It is marked as closing first, so that the activation loss its
// own destruction may cause is ignored; the windows go, and each object is
// deleted only once the message dispatch to it has returned. The tree is
// released exactly once, after the chosen row's handler ran. While shown, a
// menu holds the layer's pointer grab, so that on a display too a press
// outside the program's windows reaches the program and takes the activation
// away from the chain. UI thread only.
#include <vector>

#include "mfc/AfxWin.h"

namespace UI {

class CUIForm;
class DXCore;
class IMenu;
class MenuItem;
class _MenuConfig;

class CUIMenu : public CWnd {
 public:
  // Posted to the owner form: the pointer rests on an enabled row without
  // children (wParam its id).
  static constexpr UINT kHoverMsg = 4325;
  // Posted to the owner form: Escape in the menu; the form closes the chain.
  static constexpr UINT kEscapeMsg = 10907;

  explicit CUIMenu(CString style);
  ~CUIMenu() override;
  CUIMenu(const CUIMenu&) = delete;
  CUIMenu& operator=(const CUIMenu&) = delete;

  // The hidden window "UIMenu" (WS_POPUP | WS_THICKFRAME, a tool window). FALSE
  // when it could not be made.
  BOOL Create(CWnd* parent);
  void SetOwnerForm(CUIForm* form);
  CUIForm* GetOwnerForm() const { return m_pOwnerForm; }
  void SetParentMenuWnd(CUIMenu* parent) { m_pParentMenu = parent; }
  // Rows for the node's children, measured once. The node is kept (for the
  // chain's root: the tree released when the chain closes) even when there
  // is no style record to build rows with.
  void LoadMenuW(IMenu* node);
  // Places the menu at (x, y) (client origin) with the horizontal overlap dx,
  // upward when asked or when it would cross the bottom, and shows it topmost,
  // activated or not.
  void PopupMenu(int x, int y, int dx, int up, CUIMenu* parent, int activate);
  // Closes the whole chain and releases its tree. Nothing while it closes.
  void ReleaseAll();
  // Closes the chain's windows without releasing the tree (a row was chosen).
  void ReleaseChainWindows();
  // NOTE: deletes the object: at once when no message is being dispatched to
  // it, else when that dispatch returns. Its open child menu goes first.
  virtual void Release();

  BOOL PreTranslateMessage(MSG* msg) override;

  // For the owner form and for tests.
  int GetItemCount() const { return static_cast<int>(m_items.size()); }
  MenuItem* GetItem(int index) const;
  MenuItem* GetSelectedItem() const { return m_pSelItem; }
  CUIMenu* GetChildMenu() const { return m_pChildMenu; }
  CUIMenu* GetParentMenu() const { return m_pParentMenu; }
  CRect GetBounds() const { return m_rcBounds; }
  IMenu* GetNode() const { return m_pNode; }
  IMenu* GetRootIMenu() const;
  CUIMenu* GetRootParent();
  BOOL IsClosing() const { return m_bClosing; }

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void PostNcDestroy() override;

  int OnCreate();
  virtual void OnPaint();
  void OnSize(int cx, int cy);
  void OnActivate(UINT state, HWND other);
  void OnMouseMove(CPoint point);
  void OnLButtonUp(CPoint point);
  void OnMouseHover(CPoint point);
  void OnMouseLeave();

  _MenuConfig* GetSkinConfig();
  void Render();
  void RenderBounds();
  void RenderItems();
  void RenderItem(MenuItem* item);
  void RenderItem(MenuItem* item, const CRect& row);
  void CaculateBounds();
  int CaculateItemWidth(IMenu* node);
  HRGN GetBoundsRGN() const;
  void SetRGN();
  CPoint GetOffsetPtAux() const;
  void SetWndPosition(int left, int top);
  int GetItemFromPoint(CPoint point) const;
  MenuItem* GetItemPtrFromPoint(CPoint point) const;

 private:
  // Whether the window belongs to this chain.
  bool InChain(HWND hwnd);
  void MarkChainClosing();
  void OpenSubMenu(MenuItem* item, bool selectFirst);
  void CloseSubMenu();
  void Select(MenuItem* item);
  bool Selectable(const MenuItem* item) const;
  // The pointer rests on a row, or the keyboard chose it.
  void Choose(MenuItem* item);
  // The arrow keys, Enter, Space and Escape; TRUE when the key was used.
  BOOL OnNavigationKey(UINT key);
  void MoveSelection(int step);
  void Repaint();

  CUIForm* m_pOwnerForm = nullptr;
  HWND m_hOwnerWnd = nullptr;
  IMenu* m_pNode = nullptr;
  CUIMenu* m_pParentMenu = nullptr;
  CUIMenu* m_pChildMenu = nullptr;
  DXCore* m_pCore = nullptr;
  int m_bTracking = 0;
  CPoint m_ptOffset;
  CRect m_rcBounds;
  int m_nWidth = 0;
  std::vector<MenuItem*> m_items;
  MenuItem* m_pSelItem = nullptr;
  CString m_strStyle;
  _MenuConfig* m_pConfig = nullptr;
  HFONT m_hMeasureFont = nullptr;
  BOOL m_bClosing = FALSE;
  BOOL m_bDeleteOnDestroy = FALSE;
};

}  // namespace UI
