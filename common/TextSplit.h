#pragma once
// Splitting, joining and looking up text.
#include <list>
#include <string>
#include <vector>

#include "mfc/Afx.h"

namespace Common {

// Splits at every separator; empty pieces stay ("a,,b" gives "a", "", "b"; "a,"
// gives "a", ""). The out container is emptied first. Returns 0 for an empty
// source (or an empty separator string), else 1.
int AnalyzeString(CString source, wchar_t separator, CStringList& out);
int AnalyzeString(CString source, wchar_t separator, CStringArray& out);
int AnalyzeString(const CString& source, const CString& separator, CStringList& out);
int AnalyzeString(const CString& source, const CString& separator, CStringArray& out);

// "key = value ; comment" lines into a map: the key and value are trimmed, the
// value is cut before its first ';', a third "=" piece is dropped, a later line
// replaces an earlier key, lines without "=" are skipped. 0 for an empty list.
int AnalyzeStringTable(const CStringList& lines, CMapStringToString& out);

CString CombineString(const CStringArray& items, const CString& separator);

// Cuts at every character of the separator set and appends the pieces, empty
// ones included; an empty source appends one empty piece.
void SpliteTstring(std::wstring source, const wchar_t* separators, std::vector<std::wstring>* out);
// Cuts at every match of the separator string (meant for one character) and
// appends the pieces, empty ones included.
void SpliteCString(CString source, const wchar_t* separator, std::vector<CString>* out);

int IsStringInList(std::list<CString> list, CString text);  // without regard to case
int IsStringInArray(CStringArray& array, CString text);      // exact

}  // namespace Common
