// The string functions the library exports by name.
#include "ScriptAnalysis.h"

#include <new>

#include "win32/WinError.h"

#define USP10_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

usp10::ScriptAnalysis* Of(SCRIPT_STRING_ANALYSIS analysis) { return static_cast<usp10::ScriptAnalysis*>(analysis); }

}  // namespace

USP10_EXPORT HRESULT ScriptApplyDigitSubstitution(const SCRIPT_DIGITSUBSTITUTE*, SCRIPT_CONTROL* control,
                                                  SCRIPT_STATE* state) {
  if (control) *control = SCRIPT_CONTROL{};
  if (state) *state = SCRIPT_STATE{};
  return S_OK;
}

USP10_EXPORT HRESULT ScriptStringAnalyse(HDC dc, const void* string, int count, int, int, DWORD, int,
                                         SCRIPT_CONTROL*, SCRIPT_STATE*, const int*, SCRIPT_TABDEF*, const BYTE*,
                                         SCRIPT_STRING_ANALYSIS* analysis) {
  if (!analysis) return E_INVALIDARG;
  *analysis = nullptr;
  if (!string || count <= 0 || !dc) return E_INVALIDARG;
  auto face = win32::FaceOfDc(dc);
  if (!face) return E_INVALIDARG;
  const std::wstring units(static_cast<const wchar_t*>(string), static_cast<size_t>(count));
  auto* made = new (std::nothrow) usp10::ScriptAnalysis(*face, units);
  if (!made) return E_OUTOFMEMORY;
  *analysis = made;
  return S_OK;
}

USP10_EXPORT HRESULT ScriptStringCPtoX(SCRIPT_STRING_ANALYSIS analysis, int cp, BOOL trailing, int* x) {
  const usp10::ScriptAnalysis* a = Of(analysis);
  if (!a || !x || cp < 0 || cp >= a->Count()) return E_INVALIDARG;
  *x = trailing ? a->Trailing(cp) : a->Leading(cp);
  return S_OK;
}

USP10_EXPORT HRESULT ScriptStringXtoCP(SCRIPT_STRING_ANALYSIS analysis, int x, int* cp, int* trailing) {
  const usp10::ScriptAnalysis* a = Of(analysis);
  if (!a || !cp || !trailing) return E_INVALIDARG;
  a->Hit(x, cp, trailing);
  return S_OK;
}

USP10_EXPORT HRESULT ScriptStringFree(SCRIPT_STRING_ANALYSIS* analysis) {
  if (!analysis || !*analysis) return E_INVALIDARG;
  delete Of(*analysis);
  *analysis = nullptr;
  return S_OK;
}

USP10_EXPORT const SCRIPT_LOGATTR* ScriptString_pLogAttr(SCRIPT_STRING_ANALYSIS analysis) {
  const usp10::ScriptAnalysis* a = Of(analysis);
  return a ? a->Attributes() : nullptr;
}

USP10_EXPORT const int* ScriptString_pcOutChars(SCRIPT_STRING_ANALYSIS analysis) {
  const usp10::ScriptAnalysis* a = Of(analysis);
  return a ? a->CountPointer() : nullptr;
}
