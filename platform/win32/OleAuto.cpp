#include "win32/OleAuto.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <limits>

namespace {

// The length before the characters, in bytes, as the layout promises.
constexpr size_t kPrefix = sizeof(UINT) > alignof(OLECHAR) ? sizeof(UINT) : alignof(OLECHAR);
constexpr UINT kMaxLength = (std::numeric_limits<UINT>::max() - kPrefix) / sizeof(OLECHAR) - 1;

}  // namespace

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  if (length > kMaxLength) return nullptr;
  auto* block = static_cast<char*>(std::malloc(kPrefix + (static_cast<size_t>(length) + 1) * sizeof(OLECHAR)));
  if (!block) return nullptr;
  const UINT bytes = length * static_cast<UINT>(sizeof(OLECHAR));
  std::memcpy(block + kPrefix - sizeof(UINT), &bytes, sizeof(UINT));
  auto* chars = reinterpret_cast<OLECHAR*>(block + kPrefix);
  if (text) std::memcpy(chars, text, length * sizeof(OLECHAR));
  else std::memset(chars, 0, length * sizeof(OLECHAR));
  chars[length] = 0;
  return chars;
}

BSTR SysAllocString(LPCOLESTR text) {
  if (!text) return nullptr;
  return SysAllocStringLen(text, static_cast<UINT>(std::wcslen(text)));
}

void SysFreeString(BSTR text) {
  if (text) std::free(reinterpret_cast<char*>(text) - kPrefix);
}

UINT SysStringLen(BSTR text) {
  if (!text) return 0;
  UINT bytes = 0;
  std::memcpy(&bytes, reinterpret_cast<char*>(text) - sizeof(UINT), sizeof(UINT));
  return bytes / static_cast<UINT>(sizeof(OLECHAR));
}

void VariantInit(VARIANTARG* value) {
  std::memset(value, 0, sizeof(*value));
  value->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANTARG* value) {
  if (!value) return E_INVALIDARG;
  switch (value->vt) {
    case VT_BSTR: SysFreeString(value->bstrVal); break;
    case VT_DISPATCH:
      if (value->pdispVal) value->pdispVal->Release();
      break;
    case VT_UNKNOWN:
      if (value->punkVal) value->punkVal->Release();
      break;
    default: break;
  }
  VariantInit(value);
  return S_OK;
}

HRESULT VariantCopy(VARIANTARG* target, const VARIANTARG* source) {
  if (!target || !source) return E_INVALIDARG;
  if (target == source) return S_OK;
  VariantClear(target);
  VARIANT copy = *source;
  if (source->vt == VT_BSTR && source->bstrVal) {
    copy.bstrVal = SysAllocStringLen(source->bstrVal, SysStringLen(source->bstrVal));
    if (!copy.bstrVal) return E_OUTOFMEMORY;
  } else if (source->vt == VT_DISPATCH && source->pdispVal) {
    source->pdispVal->AddRef();
  } else if (source->vt == VT_UNKNOWN && source->punkVal) {
    source->punkVal->AddRef();
  }
  *target = copy;
  return S_OK;
}
