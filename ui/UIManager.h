#pragma once
// The registry of the framework's windows: every form joins it when it is
// constructed and leaves it when it is destroyed, and a modal plain dialog can
// join it for its modal run. The program records its main form here, and at
// exit ends every modal window and hides every form. Used on the UI thread
// only; the Common library deletes the one instance when it unloads.
#include <map>
#include <vector>

#include "common/DeletedAtShutdown.h"
#include "mfc/Afx.h"

class CWnd;

namespace UI {

class CUIForm;

class CUIManager : public Common::CDeletedAtShutdown {
 public:
  // The instance, created by the first call (not locked: the first call comes
  // from the UI thread at start-up). Null when it can't be allocated.
  static CUIManager* GetInstance();

  void RegisterForm(CUIForm* form);
  // Takes out the first entry of that pointer, form or dialog.
  void UnRegisterForm(void* window);
  int IsExist(CUIForm* form) const;
  // The first form, in registration order, whose object ID is exactly `id`.
  CUIForm* IsExist(const CString& id) const;
  // Empties `forms` and fills it with every form whose object ID is exactly `id`.
  void GetForms(const CString& id, CPtrArray& forms) const;
  void IsExist(const CString& id, CPtrArray& forms) const { GetForms(id, forms); }
  // As GetAllForms, only the forms running modally.
  void GetModalForms(CPtrArray& forms) const;

  // Forms the program keeps one of per name; a second under a name replaces the first.
  void RegisterOnceForm(CUIForm* form, CString name) { m_onceForms[name] = form; }
  void UnRegisterOnceForm(CUIForm* form);
  CUIForm* IsExistOnceForm(CString name) const;
  // Empties `forms` and fills it with every registered form whose window
  // exists, in registration order.
  void GetAllForms(CPtrArray& forms) const;

  void SetMainForm(CUIForm* form) { m_pMainForm = form; }
  CUIForm* GetMainForm() const { return m_pMainForm; }

  // A plain dialog's modal run, bracketed so that ExitModalWnds can end it.
  // The window is the dialog's.
  void BeforeDoModalDlg(CWnd* dialog);
  void AfterDoModalDlg(CWnd* dialog) { UnRegisterForm(dialog); }

  // Newest first: a modal form or dialog leaves the list and ends its modal
  // loop with `code`.
  // Modeless forms stay.
  void ExitModalWnds(int code);
  int HasModalWnd() const;

  ~CUIManager() override;

 protected:
  CUIManager() = default;

 private:
  enum Kind { kForm = 1, kDialog = 2 };
  struct Entry {
    Kind kind;
    void* window;
  };

  static CUIManager* s_pInstance;

  CUIForm* m_pMainForm = nullptr;
  std::vector<Entry> m_windows;
  std::map<CString, CUIForm*> m_onceForms;
};

}  // namespace UI
