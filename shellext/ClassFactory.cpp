#include "ClassFactory.h"

#include <new>

#include "DorvShell.h"
#include "ModuleState.h"

CClassFactory::CClassFactory(int kind) : m_refs(0), m_kind(kind) { DorvShellModule::AddLiveObject(); }

CClassFactory::~CClassFactory() { DorvShellModule::ReleaseLiveObject(); }

HRESULT CClassFactory::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsEqualGUID(iid, IID_IUnknown) && !IsEqualGUID(iid, IID_IClassFactory)) return E_NOINTERFACE;
  *out = static_cast<IClassFactory*>(this);
  AddRef();
  return S_OK;
}

ULONG CClassFactory::AddRef() { return ++m_refs; }

ULONG CClassFactory::Release() {
  ULONG left = --m_refs;
  if (left == 0) delete this;
  return left;
}

HRESULT CClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  CDorvShell* shell = new (std::nothrow) CDorvShell(m_kind);
  if (!shell) return E_OUTOFMEMORY;
  HRESULT hr = shell->QueryInterface(iid, out);
  if (FAILED(hr)) delete shell;
  return hr;
}

HRESULT CClassFactory::LockServer(BOOL) { return E_NOTIMPL; }
