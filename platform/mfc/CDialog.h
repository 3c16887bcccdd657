#pragma once
// A modal dialog built from a registered dialog resource (mfc/DialogTemplate.h).
//
// DoModal creates the dialog window and its controls (windows of the classes
// the template names), sends WM_INITDIALOG (OnInitDialog, which binds the
// controls through DoDataExchange), shows the dialog and runs the modal loop
// until EndDialog; the window is destroyed before DoModal returns its result
// (-1 when the dialog could not be made). IDOK and IDCANCEL commands end it
// through OnOK and OnCancel; Enter sends IDOK, Escape and WM_CLOSE IDCANCEL.
#include "mfc/CWnd.h"
#include "mfc/DialogTemplate.h"

// Binds dialog controls to their objects (DDX_Control) when the dialog starts.
class CDataExchange {
 public:
  CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
  CWnd* m_pDlgWnd;
  BOOL m_bSaveAndValidate;
};

// Makes `control` the object of the dialog's control `id` (once).
void DDX_Control(CDataExchange* exchange, int id, CWnd& control);

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT templateId, CWnd* parent = nullptr);
  ~CDialog() override;

  virtual INT_PTR DoModal();
  void EndDialog(int result);

  BOOL PreTranslateMessage(MSG* msg) override;
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

 protected:
  virtual BOOL OnInitDialog();
  virtual void DoDataExchange(CDataExchange* exchange);
  BOOL UpdateData(BOOL saveAndValidate = TRUE);
  virtual void OnOK();
  virtual void OnCancel();

  UINT m_nIDHelp;
  CWnd* m_pParentWnd;

  DECLARE_MESSAGE_MAP()

 private:
  BOOL CreateControls(const DialogTemplate& dialog);
};
