#include "client/sync/watcher/PathFilter.h"

#include <cwctype>

#include "common/PathText.h"

CPathFilter* CPathFilter::GetInstance() {
  static CPathFilter instance{CString(), CString(kDefaultExcludes)};
  return &instance;
}

CPathFilter::CPathFilter(const CString& includes, const CString& excludes)
    : m_includes(Split(includes)), m_excludes(Split(excludes)) {}

std::vector<CString> CPathFilter::Split(const CString& patterns) {
  std::vector<CString> out;
  std::wstring text = patterns.GetString();
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(L';', start);
    if (end == std::wstring::npos) end = text.size();
    if (end > start) out.emplace_back(text.substr(start, end - start).c_str());
    start = end + 1;
  }
  return out;
}

bool CPathFilter::IsIncluded(const CString& name) const {
  if (m_includes.empty()) return true;
  for (const CString& pattern : m_includes) {
    if (MatchPattern(pattern, name)) return true;
  }
  return false;
}

bool CPathFilter::IsExcluded(const CString& name) const {
  for (const CString& pattern : m_excludes) {
    if (MatchPattern(pattern, name)) return true;
  }
  return false;
}

bool CPathFilter::HasForeignNameCharacter(const CString& name) {
  return std::wstring(name.GetString()).find_first_of(L"\\:*?\"<>|") != std::wstring::npos;
}

bool CPathFilter::HasForeignName(const CString& path) {
  // The name as it is on disk: the layer's path helpers read a backslash as a
  // separator, which it is not here.
  std::wstring raw = path.GetString();
  size_t sep = raw.find_last_of(Common::kPathSeparator);
  return HasForeignNameCharacter(CString(raw.substr(sep == std::wstring::npos ? 0 : sep + 1).c_str()));
}

bool CPathFilter::IsPathAllowed(const CString& path) const {
  if (HasForeignName(path)) return false;
  CString name = Common::GetFileNameFromPath(path);
  return IsIncluded(name) && !IsExcluded(name);
}

bool CPathFilter::MatchPattern(const CString& patternText, const CString& nameText) {
  const wchar_t* p = patternText.GetString();
  const wchar_t* n = nameText.GetString();
  auto same = [](wchar_t a, wchar_t b) { return a == L'?' || std::towlower(a) == std::towlower(b); };
  // Up to the first star every character must match.
  while (*n && *p != L'*') {
    if (!same(*p, *n)) return false;
    ++p;
    ++n;
  }
  const wchar_t* starPattern = nullptr;
  const wchar_t* starName = nullptr;
  while (*n) {
    if (*p == L'*') {
      if (!*++p) return true;
      starPattern = p;
      starName = n + 1;
    } else if (same(*p, *n)) {
      ++p;
      ++n;
    } else {
      if (!starPattern) return false;
      p = starPattern;
      n = starName++;
    }
  }
  while (*p == L'*') ++p;
  return !*p;
}
