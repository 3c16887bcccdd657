#pragma once
// One run of editable text and the caret geometry of it: the x of a caret
// position, the position under an x, and word stops, measured by the string
// functions of the script library "usp10.dll", which is bound by name at run
// time. Without the library every measurement answers E_NOTIMPL (x 0, the
// position given) while the text operations still work.
//
// The text is an array of units always holding a NUL-terminated string, at most
// 65535 units with the NUL. The owner reads m_pText and GetLength() directly and
// sets m_hDC (not owned; a render context's screen DC) and m_font before the
// first measurement; changing them does not mark the analysis stale. UI thread
// only; the binding is process-wide.
#include "mfc/Afx.h"
#include "win32/Gdi.h"
#include "win32/Usp10.h"

namespace UI {

class CUniscribeBuffer {
 public:
  static constexpr int kMaxUnits = 0xFFFF;

  // Binds the library (again after a failed attempt); nothing while bound.
  static void LoadUniscribe();
  // Puts the stand-ins back and frees the library.
  static void UnloadUniscribe();
  // As LoadUniscribe with another library file (tests reach the missing path).
  static void LoadUniscribeFrom(const wchar_t* library);

  explicit CUniscribeBuffer(int initialSize);
  CUniscribeBuffer(const CUniscribeBuffer&) = delete;
  CUniscribeBuffer& operator=(const CUniscribeBuffer&) = delete;
  ~CUniscribeBuffer();

  // Enlarges the array (doubling, or to twice the request when that is more);
  // -1 asks for no size. False at the limit or when memory is short.
  bool Grow(int requested);
  HRESULT BuildAnalysis();

  // False, with the text unchanged, for a position outside the text or a text
  // that would reach 65535 units.
  bool InsertCharAt(int index, wchar_t ch);
  bool RemoveCharAt(int index);
  bool InsertTextAt(int index, const wchar_t* text);
  bool AssignText(const wchar_t* text);

  HRESULT CaretToX(int cp, BOOL trailing, int* x);
  HRESULT XToCaret(int x, int* cp, BOOL* trailing);
  void PrevWordStop(int cp, int* out);
  void NextWordStop(int cp, int* out);

  int GetLength() const;
  int GetCapacity() const { return m_nCapacity; }
  const wchar_t* GetText() const { return m_pText; }
  void ClearText();

  wchar_t* m_pText = nullptr;
  int m_nCapacity = 0;
  bool m_bAnalysisNeeded = true;
  SCRIPT_STRING_ANALYSIS m_analysis = nullptr;
  HDC m_hDC = nullptr;
  LOGFONTW m_font{};

 private:
  // The attributes and their count of a fresh analysis, or false.
  bool WordAttributes(const SCRIPT_LOGATTR** attrs, int* count);
};

}  // namespace UI
