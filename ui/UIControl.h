#pragma once
// A control of the skinned framework: a node of a form's control tree with an
// object ID, a type name and a visibility of its own that its ancestors can
// override. A form's own control part is the root of its tree and carries the
// form's window.
#include <vector>

#include "mfc/Afx.h"
#include "win32/WinUser.h"

namespace UI {

class CUIForm;

class CUIControl {
 public:
  CUIControl();
  CUIControl(const CUIControl&) = delete;
  CUIControl& operator=(const CUIControl&) = delete;
  // Releases the children.
  virtual ~CUIControl();

  virtual CString GetType() { return m_strTypeName; }
  // Deletes the object through its virtual destructor.
  virtual void Release();
  // 0 while an ancestor hides the control, else its own flag.
  virtual BOOL IsVisible();

  // Stores the flag as the control's own, shows or hides the control and its
  // descendants (each descendant keeps its own flag), and forgets what an
  // ancestor set.
  void SetVisible(BOOL visible);

  void SetObjectID(const CString& id) { m_strObjectID = id; }
  CString GetObjectID() const { return m_strObjectID; }
  void SetText(const CString& text) { m_strText = text; }
  CString GetText() const { return m_strText; }

  // Appends a child; 0 for null or a child already in the list.
  int RegisterControl(CUIControl* child);
  int GetChildCount() const { return static_cast<int>(m_children.size()); }
  CUIControl* GetChild(int index) const;

  CUIForm* GetOwnerForm() const { return m_pOwnerForm; }
  // Sets the owner form of this control and of all its descendants.
  void SetOwnerForm(CUIForm* form);
  CUIControl* GetParent() const { return m_pParent; }
  HWND GetOwnWindow() const { return m_hOwnWnd; }

 protected:
  // What an ancestor set: shows the own window when both this and the own flag
  // are set, hides it otherwise, and passes it on to the children.
  virtual void SetTempVisible(BOOL visible);

  CString m_strObjectID;
  CString m_strTypeName;
  CString m_strText;
  CUIForm* m_pOwnerForm = nullptr;
  CUIControl* m_pParent = nullptr;
  HWND m_hOwnWnd = nullptr;
  std::vector<CUIControl*> m_children;
  BOOL m_bVisible = TRUE;
  // -1: no ancestor has set it since the own SetVisible; 0 hidden; else shown.
  int m_nTempVisible = -1;
};

}  // namespace UI
