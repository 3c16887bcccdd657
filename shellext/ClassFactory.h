#pragma once
// The class object of one kind of shell object.
#include "ShellExtKind.h"

class CClassFactory : public IClassFactory {
 public:
  explicit CClassFactory(int kind);
  virtual ~CClassFactory();

  HRESULT QueryInterface(REFIID iid, void** out) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
  HRESULT LockServer(BOOL lock) override;

 private:
  ULONG m_refs;
  int m_kind;
};
