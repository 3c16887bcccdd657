#include "common/MutiLanSupport.h"

#include <new>
#include <string>

#include "common/FileHelpers.h"
#include "common/StringConvert.h"
#include "common/TextSplit.h"

namespace Common {

CMutiLanSupport* CMutiLanSupport::m_pInstance = nullptr;

CMutiLanSupport::CMutiLanSupport() = default;

CMutiLanSupport::~CMutiLanSupport() {
  m_map.RemoveAll();
  // Deleted at unload: a late caller gets a fresh table, not a dangling one.
  if (m_pInstance == this) m_pInstance = nullptr;
}

CMutiLanSupport* CMutiLanSupport::GetInstance() {
  if (!m_pInstance) m_pInstance = new (std::nothrow) CMutiLanSupport;
  return m_pInstance;
}

int CMutiLanSupport::LoadStringTable(const CString& path) {
  std::string bytes;
  if (!LoadFile(path, bytes)) return 0;
  size_t start = 0;
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) start = 3;

  // Whole lines, however long: a line cut into pieces would turn the rest of a
  // long text into an entry of its own.
  CStringList lines;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    CString line;
    utf8_to_CString(bytes.substr(start, end - start), line);
    line.Trim();
    if (!line.IsEmpty()) lines.AddTail(line);
    start = end + 1;
  }
  AnalyzeStringTable(lines);
  return 1;
}

int CMutiLanSupport::AnalyzeStringTable(const CStringList& lines) {
  if (lines.IsEmpty()) return 0;
  POSITION pos = lines.GetHeadPosition();
  while (pos) {
    const CString& line = lines.GetNext(pos);
    CStringArray pieces;
    AnalyzeString(line, L'=', pieces);
    if (pieces.GetSize() < 2) continue;
    CString key = pieces[0];
    key.Trim();
    CString value = pieces[1];
    for (INT_PTR i = 2; i < pieces.GetSize(); ++i) value += L"=" + pieces[i];
    value.Trim();
    int semicolon = value.Find(L';');
    if (semicolon >= 0) value = value.Left(semicolon);
    m_map.SetAt(key, value);
  }
  return 1;
}

CString CMutiLanSupport::GetStringViaID(const CString& id) {
  CString text;
  if (id.IsEmpty() || !m_map.Lookup(id, text)) return CString();
  text.Replace(L"\\r", L"\r");
  text.Replace(L"\\n", L"\n");
  return text;
}

void CMutiLanSupport::ClearAll() { m_map.RemoveAll(); }

}  // namespace Common
