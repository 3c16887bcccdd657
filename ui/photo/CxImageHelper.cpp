#include "ui/photo/CxImageHelper.h"

#include "ui/cximage/CxImage.h"

namespace UI {

CxImage* CxImageHelper::CreateCxImage() { return new CxImage(CXIMAGE_FORMAT_UNKNOWN); }

bool CxImageHelper::LoadImageW(CxImage* image, const wchar_t* path, UINT type) {
  return image && image->Load(path, type);
}

CSize CxImageHelper::GetSize(CxImage* image) {
  return image ? CSize(static_cast<int>(image->GetWidth()), static_cast<int>(image->GetHeight())) : CSize();
}

bool CxImageHelper::Resample(CxImage* image, CSize size, int mode) {
  return image && image->Resample(size.cx, size.cy, mode, nullptr);
}

}  // namespace UI
