#pragma once
// Single calls of the image library, for hosts of the framework.
#include "mfc/Afx.h"

class CxImage;

namespace UI {

class CxImageHelper {
 public:
  CxImageHelper() = default;
  CxImageHelper(const CxImageHelper&) = default;
  CxImageHelper& operator=(const CxImageHelper&) { return *this; }

  // A new empty image; the caller owns it.
  static CxImage* CreateCxImage();
  static bool LoadImageW(CxImage* image, const wchar_t* path, UINT type);
  static CSize GetSize(CxImage* image);
  static bool Resample(CxImage* image, CSize size, int mode);
};

}  // namespace UI
