#include "ui/image/ImageConfigCxImage.h"

#include "common/MachineFunctions.h"
#include "ui/cximage/CxImage.h"
#include "ui/render/DXCore.h"

namespace UI {

_ImageConfigCxImage::~_ImageConfigCxImage() { DropShare(m_bRelease != 0); }

void _ImageConfigCxImage::DropShare(bool removeEntry) {
  const bool last = !m_pImage || m_pImage.use_count() == 1;
  if (removeEntry && last && !m_strFile.IsEmpty() && m_pCore) DXCore::s_rscc.ReleaseImage(m_strFile);
  m_pImage.reset();
}

void _ImageConfigCxImage::Reset() {
  DropShare(true);
  _ImageConfig::Reset();
  m_pCore = nullptr;
}

void _ImageConfigCxImage::Copy(_ImageConfigCxImage* other) {
  if (!other || other == this) return;
  DropShare(m_bRelease != 0);
  m_strFile = other->m_strFile;
  m_color = other->m_color;
  m_rcSource = other->m_rcSource;
  m_pImage = other->m_pImage;
  m_pCore = other->m_pCore;
}

int _ImageConfigCxImage::Publish(DXCore* core) {
  // Wait for a paint in progress to end, so pixels don't change under it.
  core->Lock();
  core->Unlock();
  if (DXCore::s_rscc.GetImageItemFromCxImage(m_strFile, m_pImage.get())) return 1;
  m_strFile.Empty();
  return 0;
}

int _ImageConfigCxImage::LoadImageW(DXCore* core, const CString& path) {
  if (!core) return 0;
  if (m_pImage || !m_strFile.IsEmpty()) Reset();  // a loaded piece would leave its entry behind
  m_pCore = core;
  auto image = std::make_shared<CxImage>(CXIMAGE_FORMAT_UNKNOWN);
  if (!image->Load(path, ResourceCache::GetImageTypeForCXImage(path)) && !image->Load(path, CXIMAGE_FORMAT_UNKNOWN))
    return 0;
  m_pImage = std::move(image);
  m_strFile = Common::GetNewGuid();
  return Publish(core);
}

int _ImageConfigCxImage::LoadImageW(DXCore* core, CxImage* image, CString& key) {
  if (!image) return 0;
  if (m_pImage || !m_strFile.IsEmpty()) Reset();
  m_pImage.reset(image);
  if (!core) return 0;
  m_pCore = core;
  if (key.IsEmpty()) key = Common::GetNewGuid();
  m_strFile = key;
  return Publish(core);
}

bool _ImageConfigCxImage::Rotate(bool left) {
  if (!m_pImage || !m_pCore) return false;
  if (!(left ? m_pImage->RotateLeft() : m_pImage->RotateRight())) return false;
  DXCore::s_rscc.ReleaseImage(m_strFile);
  return Publish(m_pCore) != 0;
}

bool _ImageConfigCxImage::RotateLeft() { return Rotate(true); }
bool _ImageConfigCxImage::RotateRight() { return Rotate(false); }

}  // namespace UI
