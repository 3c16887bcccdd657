#pragma once
// CStringList: a list of CString values.
#include "mfc/CList.h"
#include "mfc/CString.h"

class CStringList : public CList<CString, const CString&> {
 public:
  using CList::CList;
};
