#include "ui/controls/RangeConfig.h"

#include "ui/skin/SkinReader.h"

namespace UI {

namespace {

template <typename T>
_SkinConfig* CloneOf(T* self) {
  auto* copy = new T;
  copy->Copy(self);
  return copy;
}

}  // namespace

void _RangeBaseConfig::Copy(_SkinConfig* other) {
  auto* range = dynamic_cast<_RangeBaseConfig*>(other);
  if (!range || range == this) return;
  m_bHorz = range->m_bHorz;
  m_bkImage = range->m_bkImage;
}

void _RangeBaseConfig::Reset() {
  m_bHorz = 1;
  m_bkImage.Reset();
}

int _RangeBaseConfig::Read(CSkinReader* reader) {
  if (!reader) return 1;
  reader->GetBool(m_bHorz, L"IsHorz");
  reader->GetImage(m_bkImage, L"BkImage");
  return 1;
}

_SkinConfig* _RangeBaseConfig::Clone() { return CloneOf(this); }

void _ProgressBarConfig::Copy(_SkinConfig* other) {
  auto* bar = dynamic_cast<_ProgressBarConfig*>(other);
  if (bar == this) return;
  Reset();
  if (!bar) return;
  _RangeBaseConfig::Copy(bar);
  m_progressImage = bar->m_progressImage;
}

void _ProgressBarConfig::Reset() {
  _RangeBaseConfig::Reset();
  m_progressImage.Reset();
}

int _ProgressBarConfig::Read(CSkinReader* reader) {
  if (!reader) return 1;
  _RangeBaseConfig::Read(reader);
  reader->GetImage(m_progressImage, L"ProgressImage");
  return 1;
}

_SkinConfig* _ProgressBarConfig::Clone() { return CloneOf(this); }

void _SliderConfig::Copy(_SkinConfig* other) {
  auto* slider = dynamic_cast<_SliderConfig*>(other);
  if (slider == this) return;
  Reset();
  if (!slider) return;
  _RangeBaseConfig::Copy(slider);
  for (int i = 0; i < 5; ++i) m_thumb[i] = slider->m_thumb[i];
  m_fillImage = slider->m_fillImage;
}

void _SliderConfig::Reset() {
  _RangeBaseConfig::Reset();
  for (auto& image : m_thumb) image.Reset();
  m_fillImage.Reset();
}

int _SliderConfig::Read(CSkinReader* reader) {
  if (!reader) return 1;
  _RangeBaseConfig::Read(reader);
  reader->GetImage(m_fillImage, L"FillImage");
  reader->Get5StateImage(m_thumb, L"SliderBtn");
  return 1;
}

_SkinConfig* _SliderConfig::Clone() { return CloneOf(this); }

void _ScrollBarConfig::Copy(_SkinConfig* other) {
  auto* bar = dynamic_cast<_ScrollBarConfig*>(other);
  if (bar == this) return;
  Reset();
  if (!bar) return;
  _RangeBaseConfig::Copy(bar);
  for (int i = 0; i < 5; ++i) m_thumbBk[i] = bar->m_thumbBk[i];
  m_thumbCenter = bar->m_thumbCenter;
}

void _ScrollBarConfig::Reset() {
  _RangeBaseConfig::Reset();
  m_thumbCenter.Reset();
  for (auto& image : m_thumbBk) image.Reset();
}

int _ScrollBarConfig::Read(CSkinReader* reader) {
  if (!reader) return 1;
  _RangeBaseConfig::Read(reader);
  reader->GetImage(m_thumbCenter, L"ThumbCenterImage");
  reader->GetImage(m_thumbBk[0], L"ThumbImageBKNormal");
  reader->GetImage(m_thumbBk[1], L"ThumbImageBKFocus");
  reader->GetImage(m_thumbBk[2], L"ThumbImageBKPress");
  return 1;
}

_SkinConfig* _ScrollBarConfig::Clone() { return CloneOf(this); }

}  // namespace UI
