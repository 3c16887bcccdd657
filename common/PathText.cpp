#include "common/PathText.h"

#include <juce_core/juce_core.h>

namespace Common {

CString ReparsePath(const CString& path) {
  CString out = path;
  out.Replace(kForeignPathSeparator, kPathSeparator);
  const wchar_t twice[3] = {kPathSeparator, kPathSeparator, L'\0'};
  const wchar_t once[2] = {kPathSeparator, L'\0'};
  out.Replace(twice, once);
  return out;
}

CString GetFileDirFromPath(const CString& path) {
  CString normal = ReparsePath(path);
  int cut = normal.ReverseFind(kPathSeparator);
  if (cut < 0) cut = normal.ReverseFind(L':');
  return cut < 0 ? CString() : normal.Left(cut + 1);
}

CString GetFileNameFromPath(const CString& path) {
  CString normal = ReparsePath(path);
  normal.TrimRight(kPathSeparator);
  int cut = normal.ReverseFind(kPathSeparator);
  return cut < 0 ? path : normal.Mid(cut + 1);
}

int GetParentDir(CString path, CString& out) {
  CString normal = ReparsePath(path);
  int cut = normal.ReverseFind(kPathSeparator);
  if (cut < 0) return 0;
  out = normal.Left(cut);
  return 1;
}

juce::String String_GetParentPath(juce::String path) {
  if (path.isEmpty()) return path;
  if (path.getLastCharacter() == static_cast<juce::juce_wchar>(kPathSeparator)) path = path.dropLastCharacters(1);
  int cut = path.lastIndexOfChar(static_cast<juce::juce_wchar>(kPathSeparator));
  return cut <= 0 ? path : path.substring(0, cut);
}

juce::String String_GetFileName(juce::String path) {
  if (path.isEmpty()) return path;
  if (path.getLastCharacter() == static_cast<juce::juce_wchar>(kPathSeparator)) path = path.dropLastCharacters(1);
  int cut = path.lastIndexOfChar(static_cast<juce::juce_wchar>(kPathSeparator));
  return cut <= 0 ? juce::String() : path.substring(cut + 1);
}

int HasBackslash(const CString& path) {
  return !path.IsEmpty() && path.GetAt(path.GetLength() - 1) == kPathSeparator ? 1 : 0;
}

int IsEmptyString(const wchar_t* text) { return !text || !*text ? 1 : 0; }

}  // namespace Common
