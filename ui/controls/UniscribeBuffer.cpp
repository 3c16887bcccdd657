#include "ui/controls/UniscribeBuffer.h"

#include <algorithm>
#include <cwchar>
#include <new>

#include "win32/ComInterfaces.h"
#include "win32/Library.h"

namespace UI {

namespace {

// Stand-ins for the library's functions while it is not bound; they touch
// none of their arguments.
HRESULT StubDigits(const SCRIPT_DIGITSUBSTITUTE*, SCRIPT_CONTROL*, SCRIPT_STATE*) { return E_NOTIMPL; }
HRESULT StubAnalyse(HDC, const void*, int, int, int, DWORD, int, SCRIPT_CONTROL*, SCRIPT_STATE*, const int*,
                    SCRIPT_TABDEF*, const BYTE*, SCRIPT_STRING_ANALYSIS*) {
  return E_NOTIMPL;
}
HRESULT StubCPtoX(SCRIPT_STRING_ANALYSIS, int, BOOL, int*) { return E_NOTIMPL; }
HRESULT StubXtoCP(SCRIPT_STRING_ANALYSIS, int, int*, int*) { return E_NOTIMPL; }
HRESULT StubFree(SCRIPT_STRING_ANALYSIS*) { return E_NOTIMPL; }
const SCRIPT_LOGATTR* StubLogAttr(SCRIPT_STRING_ANALYSIS) { return nullptr; }
const int* StubOutChars(SCRIPT_STRING_ANALYSIS) { return nullptr; }

struct Binding {
  HMODULE library = nullptr;
  ScriptApplyDigitSubstitutionFn digits = &StubDigits;
  ScriptStringAnalyseFn analyse = &StubAnalyse;
  ScriptStringCPtoXFn cpToX = &StubCPtoX;
  ScriptStringXtoCPFn xToCp = &StubXtoCP;
  ScriptStringFreeFn free = &StubFree;
  ScriptString_pLogAttrFn logAttr = &StubLogAttr;
  ScriptString_pcOutCharsFn outChars = &StubOutChars;
};

Binding& Bound() {
  static Binding binding;
  return binding;
}

template <typename Fn>
void Bind(HMODULE library, const char* name, Fn* slot) {
  if (FARPROC found = ::GetProcAddress(library, name)) *slot = reinterpret_cast<Fn>(found);
}

int UnitsOf(const wchar_t* text) { return text ? static_cast<int>(std::wcslen(text)) : 0; }

}  // namespace

void CUniscribeBuffer::LoadUniscribe() { LoadUniscribeFrom(L"usp10.dll"); }

void CUniscribeBuffer::LoadUniscribeFrom(const wchar_t* library) {
  Binding& b = Bound();
  if (b.library) return;
  b.library = ::LoadLibraryW(library);
  if (!b.library) return;
  Bind(b.library, "ScriptApplyDigitSubstitution", &b.digits);
  Bind(b.library, "ScriptStringAnalyse", &b.analyse);
  Bind(b.library, "ScriptStringCPtoX", &b.cpToX);
  Bind(b.library, "ScriptStringXtoCP", &b.xToCp);
  Bind(b.library, "ScriptStringFree", &b.free);
  Bind(b.library, "ScriptString_pLogAttr", &b.logAttr);
  Bind(b.library, "ScriptString_pcOutChars", &b.outChars);
}

void CUniscribeBuffer::UnloadUniscribe() {
  Binding& b = Bound();
  if (!b.library) return;
  HMODULE library = b.library;
  b = Binding{};
  ::FreeLibrary(library);
}

CUniscribeBuffer::CUniscribeBuffer(int initialSize) { Grow(initialSize); }

CUniscribeBuffer::~CUniscribeBuffer() {
  delete[] m_pText;
  if (m_analysis) Bound().free(&m_analysis);
}

int CUniscribeBuffer::GetLength() const { return UnitsOf(m_pText); }

void CUniscribeBuffer::ClearText() {
  if (m_pText) m_pText[0] = L'\0';
  m_bAnalysisNeeded = true;
}

bool CUniscribeBuffer::Grow(int requested) {
  if (m_nCapacity >= kMaxUnits) return false;
  int capacity = 0;
  if (requested != -1 && requested >= 2 * m_nCapacity)
    capacity = 2 * std::min(requested, kMaxUnits);
  else
    capacity = m_nCapacity == 0 ? 256 : 2 * m_nCapacity;
  capacity = std::min(capacity, kMaxUnits);
  auto* grown = new (std::nothrow) wchar_t[static_cast<size_t>(capacity)];
  if (!grown) return false;
  std::fill(grown, grown + capacity, L'\0');
  if (m_pText) std::copy(m_pText, m_pText + m_nCapacity, grown);
  delete[] m_pText;
  m_pText = grown;
  m_nCapacity = capacity;
  return true;
}

HRESULT CUniscribeBuffer::BuildAnalysis() {
  Binding& b = Bound();
  if (m_analysis) {
    b.free(&m_analysis);
    m_analysis = nullptr;
  }
  if (!m_hDC) return E_FAIL;
  HFONT font = ::CreateFontIndirectW(&m_font);
  HGDIOBJ previous = ::SelectObject(m_hDC, font);
  SCRIPT_CONTROL control{};
  SCRIPT_STATE state{};
  b.digits(nullptr, &control, &state);
  const int length = GetLength();
  static const wchar_t kEmpty[] = L"";
  const HRESULT result = b.analyse(m_hDC, m_pText ? m_pText : kEmpty, length + 1, (3 * length) / 2 + 16, -1,
                                   SSA_LINK | SSA_GLYPHS | SSA_BREAK | SSA_FALLBACK, 0, &control, &state, nullptr,
                                   nullptr, nullptr, &m_analysis);
  if (SUCCEEDED(result)) m_bAnalysisNeeded = false;
  ::SelectObject(m_hDC, previous);
  ::DeleteObject(font);
  return result;
}

bool CUniscribeBuffer::InsertCharAt(int index, wchar_t ch) {
  const int length = GetLength();
  if (index < 0 || index > length || length + 1 >= kMaxUnits) return false;
  if (length + 1 >= m_nCapacity && !Grow(-1)) return false;
  std::copy_backward(m_pText + index, m_pText + length + 1, m_pText + length + 2);
  m_pText[index] = ch;
  m_bAnalysisNeeded = true;
  return true;
}

bool CUniscribeBuffer::RemoveCharAt(int index) {
  const int length = GetLength();
  if (length == 0 || index < 0 || index >= length) return false;
  std::copy(m_pText + index + 1, m_pText + length + 1, m_pText + index);
  m_bAnalysisNeeded = true;
  return true;
}

bool CUniscribeBuffer::InsertTextAt(int index, const wchar_t* text) {
  const int length = GetLength();
  const size_t count = text ? std::wcslen(text) : 0;
  if (index < 0 || index > length || static_cast<size_t>(length) + count >= static_cast<size_t>(kMaxUnits))
    return false;
  const int n = static_cast<int>(count);
  if (length + n >= m_nCapacity && !Grow(length + n + 1)) return false;
  std::copy_backward(m_pText + index, m_pText + length + 1, m_pText + length + 1 + n);
  std::copy(text, text + n, m_pText + index);
  m_bAnalysisNeeded = true;
  return true;
}

bool CUniscribeBuffer::AssignText(const wchar_t* text) {
  const size_t required = (text ? std::wcslen(text) : 0) + 1;
  if (required >= static_cast<size_t>(kMaxUnits)) return false;
  while (m_nCapacity < static_cast<int>(required)) {
    if (!Grow(-1)) break;
  }
  if (m_nCapacity < static_cast<int>(required)) return false;
  std::copy(text ? text : L"", (text ? text : L"") + required, m_pText);
  m_bAnalysisNeeded = true;
  return true;
}

HRESULT CUniscribeBuffer::CaretToX(int cp, BOOL trailing, int* x) {
  if (!x) return E_INVALIDARG;
  *x = 0;
  if (m_bAnalysisNeeded) {
    const HRESULT built = BuildAnalysis();
    if (FAILED(built)) return built;
  }
  try {
    return Bound().cpToX(m_analysis, cp, trailing, x);
  } catch (...) {
    return E_FAIL;
  }
}

HRESULT CUniscribeBuffer::XToCaret(int x, int* cp, BOOL* trailing) {
  if (!cp || !trailing) return E_INVALIDARG;
  *cp = 0;
  *trailing = 0;
  HRESULT result = S_OK;
  if (m_bAnalysisNeeded) result = BuildAnalysis();
  if (SUCCEEDED(result)) result = Bound().xToCp(m_analysis, x, cp, trailing);
  if (*cp == -1 && *trailing == 1) {
    *cp = 0;
    *trailing = 0;
  } else if (*cp > GetLength() && *trailing == 0) {
    *cp = GetLength();
    *trailing = 1;
  }
  return result;
}

bool CUniscribeBuffer::WordAttributes(const SCRIPT_LOGATTR** attrs, int* count) {
  if (m_bAnalysisNeeded && FAILED(BuildAnalysis())) return false;
  Binding& b = Bound();
  *attrs = b.logAttr(m_analysis);
  if (!*attrs) return false;
  const int* n = b.outChars(m_analysis);
  if (!n) return false;
  *count = *n;
  return true;
}

void CUniscribeBuffer::PrevWordStop(int cp, int* out) {
  *out = cp;
  const SCRIPT_LOGATTR* attrs = nullptr;
  int count = 0;
  if (!WordAttributes(&attrs, &count)) return;
  // The last attribute is the NUL's: never read past it.
  for (int i = std::min(cp - 1, count - 1); i > 0; --i) {
    if (attrs[i].fWordStop || (!attrs[i].fWhiteSpace && attrs[i - 1].fWhiteSpace)) {
      *out = i;
      return;
    }
  }
  *out = 0;
}

void CUniscribeBuffer::NextWordStop(int cp, int* out) {
  *out = cp;
  const SCRIPT_LOGATTR* attrs = nullptr;
  int n = 0;
  if (!WordAttributes(&attrs, &n)) return;
  for (int i = std::max(0, std::min(cp + 1, n)); n > 0 && i < n - 1; ++i) {
    if (attrs[i].fWordStop) {
      *out = i;
      return;
    }
    if (attrs[i].fWhiteSpace && !attrs[i + 1].fWhiteSpace) {
      *out = i + 1;
      return;
    }
  }
  *out = n - 1;
}

}  // namespace UI
