#pragma once
// The style records of the photo controls: the plain photo's (stretch, bottom
// alignment, a nine-slice background), the decoded photo's (adds a flag no
// operation reads) and the selectable photo's (hover and selection overlays).
#include "ui/image/ImageConfig.h"
#include "ui/skin/SkinConfig.h"

namespace UI {

class _PhotoConfig : public _SkinConfig {
 public:
  _PhotoConfig() = default;
  _PhotoConfig(const _PhotoConfig&) = default;
  _PhotoConfig& operator=(const _PhotoConfig&) = default;
  void Copy(_SkinConfig* other) override;
  void Reset() override;
  int Read(CSkinReader* reader) override;
  _SkinConfig* Clone() override;

  int m_bStretch = 0;
  int m_bBottomAlign = 0;
  _ImageBorderConfig m_bkImage;
};

class _PhotoCxImageConfig : public _PhotoConfig {
 public:
  _PhotoCxImageConfig() = default;
  _PhotoCxImageConfig(const _PhotoCxImageConfig&) = default;
  _PhotoCxImageConfig& operator=(const _PhotoCxImageConfig&) = default;
  void Copy(_SkinConfig* other) override;
  // The auto-release flag only; the inherited values stay.
  void Reset() override;
  // "IsAutoRelease" only.
  int Read(CSkinReader* reader) override;
  _SkinConfig* Clone() override;

  int m_bAutoRelease = 1;
};

class _PhotoExConfig : public _PhotoConfig {
 public:
  _PhotoExConfig() = default;
  _PhotoExConfig(const _PhotoExConfig&) = default;
  _PhotoExConfig& operator=(const _PhotoExConfig&) = default;
  void Copy(_SkinConfig* other) override;
  void Reset() override;
  int Read(CSkinReader* reader) override;
  _SkinConfig* Clone() override;

  _ImageBorderConfig m_hoverImage;
  _ImageConfig m_selectedImage;
  _ImageBorderConfig m_unselectedHoverImage;
  _ImageConfig m_unselectedImage;
  int m_bListItemPhoto = 0;
  int m_bFixedHoverImageSize = 1;
};

// rect grown by a nine-slice's edges: its centre band's left and right slice
// widths, its top and bottom bands' greatest slice heights.
CRect GrowByEdges(const CRect& rect, const _ImageBorderConfig& image);

}  // namespace UI
