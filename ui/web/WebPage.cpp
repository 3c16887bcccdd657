#include "ui/web/WebPage.h"

#include <vector>

namespace UI {

CWebPage::~CWebPage() { ReleaseDocument(); }

void CWebPage::ReleaseDocument() {
  if (m_spDoc) m_spDoc->Release();
  m_spDoc = nullptr;
}

bool CWebPage::SetDocument(IDispatch* document) {
  if (!document) {
    ShowError(L"NULL pointer");
    return false;
  }
  ReleaseDocument();
  HRESULT hr = document->QueryInterface(IID_IHTMLDocument2, reinterpret_cast<void**>(&m_spDoc));
  document->Release();
  if (FAILED(hr) || !m_spDoc) {
    m_spDoc = nullptr;
    ShowError(L"Failed to get HTML document COM object");
    return false;
  }
  return true;
}

bool CWebPage::CallJScript(const CString& function, const CStringArray& arguments, CComVariant* result) {
  if (!m_spDoc) {
    ShowError(L"NULL pointer");
    ShowError(L"Cannot GetScript");
    return false;
  }
  IDispatch* script = nullptr;
  if (FAILED(m_spDoc->get_Script(&script)) || !script) {
    ShowError(L"Cannot GetScript");
    return false;
  }
  CString name = function;
  LPOLESTR names[] = {name.GetBuffer()};
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr = script->GetIDsOfNames(IID_NULL, names, 1, LOCALE_SYSTEM_DEFAULT, &id);
  name.ReleaseBuffer();
  if (FAILED(hr)) {
    script->Release();
    return false;
  }
  // The last argument first, so that the function receives them in the given order.
  const int count = static_cast<int>(arguments.GetSize());
  std::vector<CComVariant> args(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) args[static_cast<size_t>(count - 1 - i)] = CComVariant(arguments.GetAt(i).GetString());
  DISPPARAMS params{count ? static_cast<VARIANT*>(args.data()) : nullptr, nullptr, static_cast<UINT>(count), 0};
  CComVariant answer;
  hr = script->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD, &params, &answer, nullptr, nullptr);
  script->Release();
  if (FAILED(hr)) return false;
  if (result) *result = answer;
  return true;
}

}  // namespace UI
