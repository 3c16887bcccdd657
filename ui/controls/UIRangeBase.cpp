#include "ui/controls/UIRangeBase.h"

#include <algorithm>
#include <cmath>

#include "ui/controls/ControlEvents.h"
#include "ui/controls/RangeConfig.h"

namespace UI {

void CUIRangeBase::SetRange(int a, int b) {
  m_nMinimum = std::min(a, b);
  m_nMaximum = std::max(a, b);
}

void CUIRangeBase::GetRange(int& minimum, int& maximum) {
  minimum = m_nMinimum;
  maximum = m_nMaximum;
}

void CUIRangeBase::SetValue(int value) {
  value = std::min(std::max(value, m_nMinimum), m_nMaximum);
  if (value != m_nValue) {
    m_nValue = value;
    if (m_bNotifyChange) OnValueChanged();
  }
  AfterSetToValue();
}

void CUIRangeBase::FireValueEvent(int id) {
  RangeValueRecord record{m_nMinimum, m_nValue, m_nMaximum};
  if (IsEnabled()) DispatchEvent(this, id, &record);
}

void CUIRangeBase::OnValueChanged() { FireValueEvent(kChangedEvent); }

float CUIRangeBase::GetValuePercent() {
  if (m_nValue == m_nMinimum || m_nMinimum >= m_nMaximum) return 0.0f;
  if (m_nValue == m_nMaximum) return 1.0f;
  return static_cast<float>(m_nValue - m_nMinimum) / static_cast<float>(m_nMaximum - m_nMinimum);
}

void CUIRangeBase::SetValuePercent(float percent) {
  percent = std::clamp(percent, 0.0f, 1.0f);
  if (percent == GetValuePercent()) return;
  const float r = percent * static_cast<float>(m_nMaximum - m_nMinimum);
  SetValue(m_nMinimum + static_cast<int>(std::nearbyint(r)));
}

CUIProgressBar::CUIProgressBar() { m_strTypeName = L"CUIProgressBar"; }

void CUIProgressBar::RenderSelf(DXCore* core, const CRect* clip) {
  auto* config = dynamic_cast<_ProgressBarConfig*>(GetSkinConfig(L""));
  if (!config || !core) return;
  CRect bounds = m_rcBounds;
  if (!config->m_bkImage.m_strFile.IsEmpty()) config->m_bkImage.Render(core, bounds, const_cast<CRect*>(clip));
  if (!config->m_progressImage.m_strFile.IsEmpty()) {
    CRect fill = bounds;
    fill.right = bounds.left + static_cast<int>(GetValuePercent() * static_cast<float>(bounds.Width()));
    if (fill.right > fill.left) config->m_progressImage.Render(core, fill, const_cast<CRect*>(clip));
  }
}

}  // namespace UI
