#pragma once
// Style records of the tab control (the side of its header strip, a header
// margin and a strip offset for the top-right strip) and of its pages (the
// header's default, hover and selected pictures).
#include "ui/controls/ItemsControlConfig.h"
#include "ui/controls/UIDockPanel.h"

namespace UI {

// The two strip sides a dock panel does not know.
constexpr DOCK DOCK_LEFTBOTTOM = static_cast<DOCK>(4);
constexpr DOCK DOCK_TOPRIGHT = static_cast<DOCK>(5);


class _TabControlConfig : public _ItemsControlConfig {
 public:
  _TabControlConfig() { _TabControlConfig::Reset(); }
  _TabControlConfig(const _TabControlConfig&) = default;
  _TabControlConfig& operator=(const _TabControlConfig&) = default;
  // Resets, then the image, item size, item style and placement of other.
  void Copy(_SkinConfig* other) override;
  void Reset() override;
  int Read(CSkinReader* reader) override;
  _SkinConfig* Clone() override;

  DOCK m_placement = DOCK_LEFT;
  CRect m_headerMargin;
  CRect m_panelOffset;
};

class _TabItemConfig : public _ItemBaseConfig {
 public:
  _TabItemConfig() = default;
  _TabItemConfig(const _TabItemConfig&) = default;
  _TabItemConfig& operator=(const _TabItemConfig&) = default;
  void Copy(_SkinConfig* other) override;
  void Reset() override;
  int Read(CSkinReader* reader) override;
  _SkinConfig* Clone() override;

  _ImageConfig m_headerDefault;
  _ImageConfig m_headerHover;
  _ImageConfig m_headerSelected;
};

}  // namespace UI
