#pragma once
// Path rules of the status cache's records.
#include "common/PathText.h"
#include "mfc/Afx.h"

// The folder a path lies in: the normalised path cut before its last separator
// (or ':' when it has none); empty for a path without either.
inline CString StatusParentPath(const CString& path) {
  CString normal = Common::ReparsePath(path);
  int cut = normal.ReverseFind(Common::kPathSeparator);
  if (cut < 0) cut = normal.ReverseFind(L':');
  return cut < 0 ? CString() : normal.Left(cut);
}
