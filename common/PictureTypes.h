#pragma once
// Telling pictures by their file extension (compared without regard to case).
#include "mfc/Afx.h"

namespace Common {

// .jpg .jpeg .jpe .jfif .png
int IsUploadPicture(CString path);
// The 29 picture extensions of the usual photo and camera formats.
int IsPicture(CString path);

}  // namespace Common
