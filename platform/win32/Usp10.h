#pragma once
// The string functions of the script library "usp10.dll" (platform/usp10): the records they
// take and the function types a caller binds with GetProcAddress. Left to right only: no
// shaping and no bidirectional reordering; a cluster is one character, a surrogate pair held
// in two units being one character.
#include "win32/GdiTypes.h"
#include "win32/HResult.h"

using SCRIPT_STRING_ANALYSIS = void*;

struct SCRIPT_CONTROL {
  DWORD uDefaultLanguage : 16;
  DWORD fContextDigits : 1;
  DWORD fInvertPreBoundDir : 1;
  DWORD fInvertPostBoundDir : 1;
  DWORD fLinkStringBefore : 1;
  DWORD fLinkStringAfter : 1;
  DWORD fNeutralOverride : 1;
  DWORD fNumericOverride : 1;
  DWORD fLegacyBidiClass : 1;
  DWORD fMergeNeutralItems : 1;
  DWORD fReserved : 7;
};

struct SCRIPT_STATE {
  WORD uBidiLevel : 5;
  WORD fOverrideDirection : 1;
  WORD fInhibitSymSwap : 1;
  WORD fCharShape : 1;
  WORD fDigitSubstitute : 1;
  WORD fInhibitLigate : 1;
  WORD fDisplayZWG : 1;
  WORD fArabicNumContext : 1;
  WORD fGcpClusters : 1;
  WORD fReserved : 1;
  WORD fEngineReserved : 2;
};

// One byte per character.
struct SCRIPT_LOGATTR {
  BYTE fSoftBreak : 1;  // a line may break before it
  BYTE fWhiteSpace : 1;
  BYTE fCharStop : 1;  // a caret may stand before it
  BYTE fWordStop : 1;  // a word starts here
  BYTE fInvalid : 1;
  BYTE fReserved : 3;
};
static_assert(sizeof(SCRIPT_LOGATTR) == 1);

struct SCRIPT_DIGITSUBSTITUTE;
struct SCRIPT_TABDEF;

constexpr DWORD SSA_FALLBACK = 0x00000020;
constexpr DWORD SSA_BREAK = 0x00000040;
constexpr DWORD SSA_GLYPHS = 0x00000080;
constexpr DWORD SSA_LINK = 0x00001000;

// The user's digit settings (none here: both records are zeroed); S_OK.
using ScriptApplyDigitSubstitutionFn = HRESULT (*)(const SCRIPT_DIGITSUBSTITUTE*, SCRIPT_CONTROL*, SCRIPT_STATE*);
// Measures `count` units of the string in the DC's font into a new analysis (free it with
// ScriptStringFree). E_INVALIDARG for no string, no count, no DC or no result pointer.
using ScriptStringAnalyseFn = HRESULT (*)(HDC dc, const void* string, int count, int glyphs, int charset, DWORD flags,
                                          int requiredWidth, SCRIPT_CONTROL* control, SCRIPT_STATE* state,
                                          const int* dx, SCRIPT_TABDEF* tabs, const BYTE* inClass,
                                          SCRIPT_STRING_ANALYSIS* analysis);
// The x of the leading (trailing 0) or trailing edge of the character at `cp`;
// E_INVALIDARG for a position outside the string.
using ScriptStringCPtoXFn = HRESULT (*)(SCRIPT_STRING_ANALYSIS analysis, int cp, BOOL trailing, int* x);
// The character under x and in `trailing` how many units lie before the caret when x is in
// its trailing half (0 in its leading half). Left of the text: -1 and 1; right of it: the
// count and 0.
using ScriptStringXtoCPFn = HRESULT (*)(SCRIPT_STRING_ANALYSIS analysis, int x, int* cp, int* trailing);
using ScriptStringFreeFn = HRESULT (*)(SCRIPT_STRING_ANALYSIS* analysis);
// The analysis' attributes, one per unit, and their count; null for no analysis.
using ScriptString_pLogAttrFn = const SCRIPT_LOGATTR* (*)(SCRIPT_STRING_ANALYSIS analysis);
using ScriptString_pcOutCharsFn = const int* (*)(SCRIPT_STRING_ANALYSIS analysis);
