#pragma once
// CPtrArray: an array of untyped pointers; the array does not own what they point to.
#include "mfc/CArray.h"

class CPtrArray : public CArray<void*, void*> {};
