#pragma once
// Style records of list-like controls: the one item controls share (a default
// and a background image) and the one of items controls (background, the style
// name given to every item, the size of one item).
#include "mfc/Afx.h"
#include "ui/image/ImageConfig.h"
#include "ui/skin/SkinConfig.h"

namespace UI {

class _ItemBaseConfig : public _SkinConfig {
 public:
  _ItemBaseConfig() = default;
  _ItemBaseConfig(const _ItemBaseConfig&) = default;
  _ItemBaseConfig& operator=(const _ItemBaseConfig&) = default;
  void Copy(_SkinConfig* other) override;
  void Reset() override;
  int Read(CSkinReader* reader) override;
  _SkinConfig* Clone() override;

  _ImageConfig m_defaultImage;
  _ImageBorderConfig m_bkImage;
};

class _ItemsControlConfig : public _SkinConfig {
 public:
  _ItemsControlConfig() { _ItemsControlConfig::Reset(); }
  _ItemsControlConfig(const _ItemsControlConfig&) = default;
  _ItemsControlConfig& operator=(const _ItemsControlConfig&) = default;
  // The background image, item style and item size; not the colour.
  void Copy(_SkinConfig* other) override;
  void Reset() override;
  int Read(CSkinReader* reader) override;
  _SkinConfig* Clone() override;

  _ImageBorderConfig m_bkImage;
  // An alpha of 0 is never painted.
  DWORD m_bkColor = 0;
  CString m_strItemCss;
  CSize m_itemSize;
};

}  // namespace UI
