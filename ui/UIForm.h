#pragma once
// The framework's top-level window: an MFC window that is at the same time the
// root control of its control tree. Its tree is named by the form's object ID
// in the skin build file; a form whose ID the build file doesn't name can't be
// created. Every form is in the form manager from its construction to its
// destruction.
#include "mfc/AfxWin.h"
#include "ui/UIControl.h"

namespace UI {

class CUIForm : public CWnd, public CUIControl {
 public:
  CUIForm();
  // Releases the tree, leaves the form manager and unregisters the form's window class.
  ~CUIForm() override;

  // Registers a window class of the given name and creates the window (the
  // caption and child styles removed, WS_CLIPCHILDREN added). 1 on success, 0
  // when the window or the form's tree could not be made.
  int Create(DWORD style, const wchar_t* className, const wchar_t* title, CWnd* parent, UINT id, CRect rect);
  int Create(DWORD exStyle, DWORD style, const wchar_t* className, const wchar_t* title, CWnd* parent, UINT id,
             CRect rect);

  // The window class the form was created with.
  CString GetClassNameW() const { return m_strText; }

  BOOL IsModalWnd() const { return m_bModal; }

  // The control that receives key input; null for none.
  virtual void SetKeyFocusControl(CUIControl* control) { m_pKeyFocusControl = control; }
  CUIControl* GetKeyFocusControl() const { return m_pKeyFocusControl; }
  // A control leaves this form's tree (released or taken out): the form drops
  // every reference it keeps to it.
  virtual void ForgetControl(CUIControl* control);
  // Re-reads the tree's layout and styles from the current skin and arranges it.
  virtual void OnSkinChanged();
  // Ends the form's modal run with `code`.
  void EndDialog(int code);

 protected:
  afx_msg int OnCreate(LPCREATESTRUCTW cs);
  void PostNcDestroy() override;

  CWnd* m_pParentWnd = nullptr;
  CUIControl* m_pKeyFocusControl = nullptr;
  BOOL m_bModal = FALSE;

  DECLARE_MESSAGE_MAP()
};

}  // namespace UI
