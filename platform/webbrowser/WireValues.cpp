#include "webbrowser/WireValues.h"

#include <limits>

#include "win32/CodePage.h"

namespace webbrowser {

webhost::WireValue ToWire(const VARIANT& value) {
  const VARIANT& v = value.vt == (VT_VARIANT | VT_BYREF) && value.pvarVal ? *value.pvarVal : value;
  webhost::WireValue out;
  switch (v.vt) {
    case VT_NULL: out.kind = webhost::ValueKind::Null; break;
    case VT_BOOL: return webhost::WireValue::Boolean(v.boolVal != 0);
    case VT_I2: return webhost::WireValue::Int(v.iVal);
    case VT_I4:
    case VT_INT: return webhost::WireValue::Int(v.lVal);
    case VT_UI4:
    case VT_UINT:
      if (v.ulVal <= static_cast<ULONG>(std::numeric_limits<int32_t>::max()))
        return webhost::WireValue::Int(static_cast<int32_t>(v.ulVal));
      out.kind = webhost::ValueKind::Double;
      out.number = v.ulVal;
      break;
    case VT_R8:
      out.kind = webhost::ValueKind::Double;
      out.number = v.dblVal;
      break;
    case VT_BSTR:
      return webhost::WireValue::String(v.bstrVal ? WideToUtf8(std::wstring_view(v.bstrVal, SysStringLen(v.bstrVal)))
                                                  : std::string());
    default: break;
  }
  return out;
}

void FromWire(const webhost::WireValue& value, VARIANT* out) {
  VariantInit(out);
  switch (value.kind) {
    case webhost::ValueKind::Null: out->vt = VT_NULL; break;
    case webhost::ValueKind::Boolean:
      out->vt = VT_BOOL;
      out->boolVal = value.boolean ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    case webhost::ValueKind::Int:
      out->vt = VT_I4;
      out->lVal = value.integer;
      break;
    case webhost::ValueKind::Double:
      out->vt = VT_R8;
      out->dblVal = value.number;
      break;
    case webhost::ValueKind::String: {
      const std::wstring wide = Utf8ToWide(value.text);
      out->vt = VT_BSTR;
      out->bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
      if (!out->bstrVal) out->vt = VT_EMPTY;
      break;
    }
    default: break;
  }
}

}  // namespace webbrowser
