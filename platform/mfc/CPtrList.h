#pragma once
// CPtrList: a list of untyped pointers; the list does not own what they point to.
#include "mfc/CList.h"

class CPtrList : public CList<void*, void*> {
 public:
  using CList::CList;
};
