#pragma once
// The style records of the panels: a background (9-slice image and colour)
// shared by all, and what each arranging panel adds to it.
#include "mfc/Afx.h"
#include "ui/image/ImageConfig.h"
#include "ui/skin/SkinConfig.h"

namespace UI {

class _PanelConfig : public _SkinConfig {
 public:
  _PanelConfig() { _PanelConfig::Reset(); }
  // The background image and colour of other; nothing for null.
  void Copy(_SkinConfig* other) override;
  void Reset() override;
  // "BkImage" (a 9-slice) and "BkColor"; 0 for a null reader.
  int Read(CSkinReader* reader) override;
  _SkinConfig* Clone() override;

  _ImageBorderConfig m_bkImage;
  DWORD m_bkColor = 0;
};

// 0 horizontal, 1 vertical.
enum PanelOrientation : int { OrientationHorizontal = 0, OrientationVertical = 1 };

// "Orientation": "Vertical" or "Ver" (any case) is vertical, any other
// non-empty word horizontal; an absent attribute leaves the value.
void ReadOrientation(CSkinReader* reader, int& orientation);

class _DockPanelConfig : public _PanelConfig {
 public:
  _DockPanelConfig() { _DockPanelConfig::Reset(); }
  // Resets, then takes every value of other (base values included).
  void Copy(_SkinConfig* other) override;
  void Reset() override;
  int Read(CSkinReader* reader) override;
  _SkinConfig* Clone() override;

  int m_bLastChildFill = 1;
};

class _StackPanelConfig : public _PanelConfig {
 public:
  _StackPanelConfig() { _StackPanelConfig::Reset(); }
  void Copy(_SkinConfig* other) override;
  void Reset() override;
  int Read(CSkinReader* reader) override;
  _SkinConfig* Clone() override;

  int m_nOrientation = OrientationHorizontal;
};

class _WrapPanelConfig : public _PanelConfig {
 public:
  _WrapPanelConfig() { _WrapPanelConfig::Reset(); }
  void Copy(_SkinConfig* other) override;
  void Reset() override;
  int Read(CSkinReader* reader) override;
  _SkinConfig* Clone() override;

  int m_nOrientation = OrientationHorizontal;
  CSize m_itemSize{0, 0};
};

class _SplitPanelConfig : public _PanelConfig {
 public:
  _SplitPanelConfig() { _SplitPanelConfig::Reset(); }
  void Copy(_SkinConfig* other) override;
  void Reset() override;
  int Read(CSkinReader* reader) override;
  _SkinConfig* Clone() override;

  int m_bHorz = 1;
  // The bar's offset from the panel's edge, and the range a drag keeps it in.
  int m_nOriFirSubConPixel = 0;
  int m_nMinFirSubConPixel = 0;
  int m_nMaxFirSubConPixel = 0;
  _ImageConfig m_barImage;
};

}  // namespace UI
