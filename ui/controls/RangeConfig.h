#pragma once
// Style records of the range controls: the shared background and orientation,
// the progress bar's fill, the slider's thumb and fill, and the scroll bar's
// thumb backgrounds and grip. An absent "IsHorz" means horizontal.
#include "mfc/Afx.h"
#include "ui/image/ImageConfig.h"
#include "ui/skin/SkinConfig.h"

namespace UI {

class _RangeBaseConfig : public _SkinConfig {
 public:
  _RangeBaseConfig() = default;
  _RangeBaseConfig(const _RangeBaseConfig&) = default;
  _RangeBaseConfig& operator=(const _RangeBaseConfig&) = default;
  void Copy(_SkinConfig* other) override;
  void Reset() override;
  int Read(CSkinReader* reader) override;
  _SkinConfig* Clone() override;

  _ImageConfig m_bkImage;
  int m_bHorz = 1;
};

class _ProgressBarConfig : public _RangeBaseConfig {
 public:
  void Copy(_SkinConfig* other) override;
  void Reset() override;
  int Read(CSkinReader* reader) override;
  _SkinConfig* Clone() override;

  _ImageConfig m_progressImage;
};

class _SliderConfig : public _RangeBaseConfig {
 public:
  void Copy(_SkinConfig* other) override;
  void Reset() override;
  int Read(CSkinReader* reader) override;
  _SkinConfig* Clone() override;

  // Normal, focus, press, disable, keyboard focus; the slider draws the first three.
  _ImageConfig m_thumb[5];
  _ImageConfig m_fillImage;
};

class _ScrollBarConfig : public _RangeBaseConfig {
 public:
  void Copy(_SkinConfig* other) override;
  void Reset() override;
  int Read(CSkinReader* reader) override;
  _SkinConfig* Clone() override;

  _ImageConfig m_thumbCenter;
  // By thumb status: normal, focus, press; the last two are never read.
  _ImageBorderConfig m_thumbBk[5];
};

}  // namespace UI
