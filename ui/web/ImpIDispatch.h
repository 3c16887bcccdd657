#pragma once
// The page's window.external: names registered by the host, each with its handler;
// a name's index in the table is its DISPID.
#include <memory>
#include <vector>

#include "mfc/Afx.h"
#include "fastdelegate/FastDelegate.h"
#include "win32/OleAuto.h"

namespace UI {

using InvokeHandler = fastdelegate::FastDelegate2<DISPPARAMS*, VARIANT*>;

class CImpIDispatch : public IDispatch {
 public:
  CImpIDispatch() = default;
  virtual ~CImpIDispatch() = default;

  HRESULT QueryInterface(REFIID iid, void** out) override;
  // The count only: the owning window deletes the object.
  ULONG AddRef() override { return static_cast<ULONG>(++m_nRef); }
  ULONG Release() override { return static_cast<ULONG>(--m_nRef); }
  HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
  HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* exception, UINT* argError) override;

  // 1 after appending; 0 for an empty name or handler.
  int RegisterHandler(CString name, InvokeHandler handler);

 private:
  struct Entry {
    CString name;
    InvokeHandler handler;
  };
  int m_nRef = 0;
  std::vector<std::unique_ptr<Entry>> m_handlers;
};

}  // namespace UI
