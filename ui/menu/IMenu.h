#pragma once
// A popup menu as a tree of nodes. The application builds a tree, hands its
// root to PopupMenu and never touches it again: the framework shows the root's
// children in a CUIMenu window, calls the chosen node's handler and releases
// the whole tree exactly once, whichever way the menu closes (a row chosen,
// activation lost, a click on the owner form, Escape). A node owns its
// children, its icon copy and its application data. UI thread only.
#include <list>

#include "fastdelegate/FastDelegate.h"
#include "mfc/Afx.h"
#include "mfc/CPtrArray.h"

namespace UI {

class CUIForm;
class CUIMenu;
class _ImageConfig;
class IMenu;

using MenuHandler = fastdelegate::FastDelegate1<IMenu*>;

// What an application attaches to a node; deleted with the node.
class IMenuData {
 public:
  virtual ~IMenuData() = default;
};

class IMenu {
 public:
  // An empty node: a root.
  IMenu();
  IMenu(CString caption, int id, int disabled, int checked);
  IMenu(CString caption, int id, int disabled, int checked, MenuHandler handler, CString iconFile);
  // Keeps its own copy of `icon` when it names a file; the caller keeps its own.
  IMenu(CString caption, int id, int disabled, int checked, MenuHandler handler, _ImageConfig* icon);
  IMenu(const IMenu&) = delete;
  IMenu& operator=(const IMenu&) = delete;

  // The only way nodes are deleted: destroys the node and frees it.
  virtual void Release();
  // Releases every child and empties the child list.
  virtual void Destroy();

  // Appends a node; this node owns it from now on.
  void AddMenu(IMenu* child);
  IMenu* AddMenu(CString caption, int id, int disabled, int checked);
  IMenu* AddMenu(CString caption, int id, int disabled, int checked, MenuHandler handler, CString iconFile);
  IMenu* AddMenu(CString caption, int id, int disabled, int checked, MenuHandler handler, _ImageConfig* icon);

  CString GetCaption() const { return m_strCaption; }
  void SetCaption(const CString& caption) { m_strCaption = caption; }
  int GetID() const { return m_nID; }
  int IsDisabled() const { return m_bDisabled ? 1 : 0; }
  int IsChecked() const { return m_bChecked ? 1 : 0; }
  MenuHandler GetHandle() const { return m_handler; }
  CString GetICONFile() const { return m_strIconFile; }
  _ImageConfig* GetICONImage() const { return m_pIconImage; }
  int GetSubMenuCount() const { return static_cast<int>(m_children.GetSize()); }
  IMenu* GetSubMenu(int index) const;

  // The first descendant with that id, depth first (each child before its own
  // subtree); null for ids below -1. The node itself is not compared.
  IMenu* FindIMenu(int id);
  // Every descendant in the same order.
  void GetAllSubMenu(std::list<IMenu*>& out);
  // A new root holding copies of the source's children and their subtrees
  // (caption, id, flags as 0/1, handler; no icons or data).
  static IMenu* Clone(IMenu* source);

  // Calls the handler with this node: 1, or 0 without a handler or when it threw.
  int Invoke();
  // A row was chosen: the menu windows go, the chosen node's handler runs, then
  // the tree goes. 1.
  static int InvokeMenu(IMenu* root, IMenu* chosen, CUIMenu* menu);
  // Shows the root's children at (x, y) (the cursor when either is -1) with
  // the horizontal overlap dx, as the owner's active menu, activated. From
  // here on the framework owns the tree. An empty style is "Public".
  static void PopupMenu(CUIForm* owner, IMenu* root, int x, int y, int dx, CString style);

  // Application data, assigned directly; deleted with the node.
  IMenuData* m_pMenuData = nullptr;

 protected:
  virtual ~IMenu();

 private:
  static IMenu* CloneChildren(IMenu* source, IMenu* into);

  CPtrArray m_children;
  CString m_strIconFile;
  _ImageConfig* m_pIconImage = nullptr;
  CString m_strCaption;
  int m_nID = -1;
  int m_bDisabled = 0;
  int m_bChecked = 0;
  MenuHandler m_handler;
};

}  // namespace UI
