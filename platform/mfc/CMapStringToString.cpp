#include "mfc/CMapStringToString.h"

namespace {
using Entry = std::map<CString, CString>::value_type;

POSITION ToPos(const Entry* e) { return reinterpret_cast<POSITION>(const_cast<Entry*>(e)); }
}  // namespace

void CMapStringToString::SetAt(LPCTSTR key, LPCTSTR value) { m_map[CString(key)] = value; }

BOOL CMapStringToString::Lookup(LPCTSTR key, CString& value) const {
  auto it = m_map.find(CString(key));
  if (it == m_map.end()) return FALSE;
  value = it->second;
  return TRUE;
}

BOOL CMapStringToString::RemoveKey(LPCTSTR key) { return m_map.erase(CString(key)) > 0 ? TRUE : FALSE; }

CString& CMapStringToString::operator[](LPCTSTR key) { return m_map[CString(key)]; }

POSITION CMapStringToString::GetStartPosition() const {
  return m_map.empty() ? nullptr : ToPos(&*m_map.begin());
}

void CMapStringToString::GetNextAssoc(POSITION& pos, CString& key, CString& value) const {
  const Entry* e = reinterpret_cast<const Entry*>(pos);
  auto it = m_map.find(e->first);
  key = it->first;
  value = it->second;
  ++it;
  pos = it == m_map.end() ? nullptr : ToPos(&*it);
}
