#pragma once
// Local paths as text. kPathSeparator separates folders; ReparsePath, and the
// functions that normalise with it, turn the foreign separator ('\\', as code
// written for Windows uses) into it.
#include "mfc/Afx.h"

namespace juce {
class String;
}

namespace Common {

constexpr wchar_t kPathSeparator = L'/';
constexpr wchar_t kForeignPathSeparator = L'\\';

// Every foreign separator becomes kPathSeparator, then, left to right, each
// non-overlapping pair of separators becomes one ("a///b" gives "a//b").
CString ReparsePath(const CString& path);
// Up to and including the last separator, else the last ':', else empty.
CString GetFileDirFromPath(const CString& path);
// After the last separator once trailing ones are dropped; the argument itself
// when no separator is left.
CString GetFileNameFromPath(const CString& path);
// 1 with out = the normalised path before its last separator; 0 when it has none.
int GetParentDir(CString path, CString& out);
// One trailing separator dropped, then the text before the last separator; the
// shortened path itself when that separator is the first character or missing.
juce::String String_GetParentPath(juce::String path);
// One trailing separator dropped, then the text after the last separator; empty
// when that separator is the first character or missing.
juce::String String_GetFileName(juce::String path);
int HasBackslash(const CString& path);  // ends with kPathSeparator
int IsEmptyString(const wchar_t* text);

}  // namespace Common
