#pragma once
// The loaded document as the host sees it: calls of the page's script functions.
#include "mfc/Afx.h"
#include "mfc/CComVariant.h"
#include "mfc/CStringArray.h"
#include "win32/MsHtml.h"

namespace UI {

class CWebPage {
 public:
  CWebPage() = default;
  virtual ~CWebPage();

  // Takes the document's IHTMLDocument2 and releases `document` either way.
  bool SetDocument(IDispatch* document);
  // Calls the page's function with the strings as its arguments, in order.
  bool CallJScript(const CString& function, const CStringArray& arguments, CComVariant* result);
  // Lets the held document go.
  void ReleaseDocument();
  bool HasDocument() const { return m_spDoc != nullptr; }
  const CString& GetLastError() const { return m_strError; }

 private:
  void ShowError(const CString& message) { m_strError = L"JSCall Error:\n" + message; }

  IHTMLDocument2* m_spDoc = nullptr;
  CString m_strError;
};

}  // namespace UI
