#pragma once
// An image piece whose pixels come from an image decoded in memory (photos)
// rather than from a skin file. The pixels are published in the image cache
// under a fresh GUID key held in the file field, so the piece draws like any
// other. Pieces copied with Copy share the decoded image and its cache entry;
// the entry and the image go when the last piece that shares them does.
#include <memory>

#include "ui/image/ImageConfig.h"

class CxImage;

namespace UI {

class _ImageConfigCxImage : public _ImageConfig {
 public:
  _ImageConfigCxImage() = default;
  _ImageConfigCxImage(const _ImageConfigCxImage&) = delete;
  _ImageConfigCxImage& operator=(const _ImageConfigCxImage&) = delete;
  ~_ImageConfigCxImage() override;

  using _ImageConfig::Copy;
  using _ImageConfig::LoadImageW;
  void Reset() override;
  // Shares other's key, colour, source rectangle, image and render context.
  virtual void Copy(_ImageConfigCxImage* other);

  // Decodes the file (by its extension's format, then by detection) and
  // publishes it under a new key. 1 on success. A loaded piece is reset first.
  int LoadImageW(DXCore* core, const CString& path);
  // Takes ownership of the image (also on failure) and publishes it under key,
  // or under a new key written back into an empty key.
  int LoadImageW(DXCore* core, CxImage* image, CString& key);
  bool RotateLeft();
  bool RotateRight();

  CxImage* GetCxImage() const { return m_pImage.get(); }
  void SetReleaseFlag(int release) { m_bRelease = release; }

 private:
  int Publish(DXCore* core);
  bool Rotate(bool left);
  // Drops this piece's share; the cache entry goes when it was the last one
  // and removeEntry is set.
  void DropShare(bool removeEntry);

  std::shared_ptr<CxImage> m_pImage;
  DXCore* m_pCore = nullptr;
  int m_bRelease = 1;
};

}  // namespace UI
