#pragma once
// CMapStringToString: a map from CString keys (compared exactly) to CString values. Iteration
// with GetStartPosition/GetNextAssoc visits the keys in ascending order; a POSITION stays valid
// while other keys are added or removed, but not its own.
#include <map>

#include "mfc/CString.h"
#include "mfc/Position.h"

class CMapStringToString {
 public:
  INT_PTR GetCount() const { return static_cast<INT_PTR>(m_map.size()); }
  INT_PTR GetSize() const { return GetCount(); }
  BOOL IsEmpty() const { return m_map.empty(); }

  void SetAt(LPCTSTR key, LPCTSTR value);
  BOOL Lookup(LPCTSTR key, CString& value) const;
  BOOL RemoveKey(LPCTSTR key);
  void RemoveAll() { m_map.clear(); }
  // The value under key, created empty when missing.
  CString& operator[](LPCTSTR key);

  POSITION GetStartPosition() const;
  void GetNextAssoc(POSITION& pos, CString& key, CString& value) const;

 private:
  std::map<CString, CString> m_map;
};
