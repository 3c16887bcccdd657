#pragma once
// CStringArray: an array of CString values.
#include "mfc/CArray.h"
#include "mfc/CString.h"

class CStringArray : public CArray<CString, const CString&> {};
