#pragma once
// A VARIANT that owns its value: copies deep, clears when it goes.
#include "win32/OleAuto.h"

class CComVariant : public VARIANT {
 public:
  CComVariant() { VariantInit(this); }
  CComVariant(const VARIANT& other) {
    VariantInit(this);
    VariantCopy(this, &other);
  }
  CComVariant(const CComVariant& other) : CComVariant(static_cast<const VARIANT&>(other)) {}
  CComVariant(LPCOLESTR text) {
    VariantInit(this);
    vt = VT_BSTR;
    bstrVal = SysAllocString(text);
  }
  CComVariant(bool value) {
    VariantInit(this);
    vt = VT_BOOL;
    boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  }
  CComVariant(int value) {
    VariantInit(this);
    vt = VT_I4;
    lVal = value;
  }
  CComVariant(IDispatch* object) {
    VariantInit(this);
    vt = VT_DISPATCH;
    pdispVal = object;
    if (object) object->AddRef();
  }
  ~CComVariant() { VariantClear(this); }
  CComVariant& operator=(const VARIANT& other) {
    VariantCopy(this, &other);
    return *this;
  }
  CComVariant& operator=(const CComVariant& other) { return *this = static_cast<const VARIANT&>(other); }
  HRESULT Clear() { return VariantClear(this); }
  HRESULT Copy(const VARIANT* source) { return VariantCopy(this, source); }
  // Moves the value out into `target` (cleared first), leaving this empty.
  HRESULT Detach(VARIANT* target) {
    VariantClear(target);
    *target = *this;
    VariantInit(this);
    return S_OK;
  }
};
