#include "common/TextSplit.h"

namespace Common {

namespace {

// The pieces of source between the matches of separator (of length separatorLength).
template <class Add>
int Split(const CString& source, const wchar_t* separator, int separatorLength, Add add) {
  if (source.IsEmpty() || separatorLength <= 0) return 0;
  int position = 0;
  for (;;) {
    int found = source.Find(separator, position);
    if (found < 0) {
      add(source.Mid(position));
      return 1;
    }
    add(source.Mid(position, found - position));
    position = found + separatorLength;
  }
}

}  // namespace

int AnalyzeString(CString source, wchar_t separator, CStringList& out) {
  out.RemoveAll();
  const wchar_t text[2] = {separator, L'\0'};
  return Split(source, text, separator ? 1 : 0, [&](const CString& piece) { out.AddTail(piece); });
}

int AnalyzeString(CString source, wchar_t separator, CStringArray& out) {
  out.RemoveAll();
  const wchar_t text[2] = {separator, L'\0'};
  return Split(source, text, separator ? 1 : 0, [&](const CString& piece) { out.Add(piece); });
}

int AnalyzeString(const CString& source, const CString& separator, CStringList& out) {
  out.RemoveAll();
  return Split(source, separator.GetString(), separator.GetLength(), [&](const CString& piece) { out.AddTail(piece); });
}

int AnalyzeString(const CString& source, const CString& separator, CStringArray& out) {
  out.RemoveAll();
  return Split(source, separator.GetString(), separator.GetLength(), [&](const CString& piece) { out.Add(piece); });
}

int AnalyzeStringTable(const CStringList& lines, CMapStringToString& out) {
  if (lines.IsEmpty()) return 0;
  for (POSITION pos = lines.GetHeadPosition(); pos;) {
    CStringArray pieces;
    AnalyzeString(lines.GetNext(pos), L'=', pieces);
    if (pieces.GetSize() < 2) continue;
    CString key = pieces[0];
    key.Trim();
    CString value = pieces[1];
    value.Trim();
    int semicolon = value.Find(L';');
    if (semicolon >= 0) value = value.Left(semicolon);
    out.SetAt(key, value);
  }
  return 1;
}

CString CombineString(const CStringArray& items, const CString& separator) {
  CString out;
  for (INT_PTR i = 0; i < items.GetSize(); ++i) {
    if (i > 0) out += separator;
    out += items[i];
  }
  return out;
}

void SpliteTstring(std::wstring source, const wchar_t* separators, std::vector<std::wstring>* out) {
  if (!out) return;
  std::wstring set = separators ? separators : L"";
  std::wstring::size_type position = 0;
  for (;;) {
    std::wstring::size_type cut = set.empty() ? std::wstring::npos : source.find_first_of(set, position);
    if (cut == std::wstring::npos) {
      out->push_back(source.substr(position));
      return;
    }
    out->push_back(source.substr(position, cut - position));
    position = cut + 1;
  }
}

void SpliteCString(CString source, const wchar_t* separator, std::vector<CString>* out) {
  if (!out) return;
  if (!separator || !*separator) {
    out->push_back(source);
    return;
  }
  int position = 0;
  for (;;) {
    int found = source.Find(separator, position);
    if (found < 0) {
      out->push_back(source.Mid(position));
      return;
    }
    out->push_back(source.Mid(position, found - position));
    if (found == source.GetLength() - 1) {
      out->push_back(CString());
      return;
    }
    position = found + 1;
  }
}

int IsStringInList(std::list<CString> list, CString text) {
  for (const CString& item : list)
    if (item.CompareNoCase(text) == 0) return 1;
  return 0;
}

int IsStringInArray(CStringArray& array, CString text) {
  for (INT_PTR i = 0; i < array.GetSize(); ++i)
    if (array[i] == text) return 1;
  return 0;
}

}  // namespace Common
