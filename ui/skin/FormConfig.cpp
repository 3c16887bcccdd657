#include "ui/skin/FormConfig.h"

#include "ui/skin/SkinReader.h"

namespace UI {

void _FormConfig::Copy(_SkinConfig* other) {
  auto* form = dynamic_cast<_FormConfig*>(other);
  if (!form || form == this) return;
  *this = *form;
}

void _FormConfig::Reset() {
  m_maxSize = CSize(0, 0);
  m_minSize = CSize(250, 200);
  m_bResize = 1;
  m_rcPosition.SetRectEmpty();
  m_rcBorderMargin.SetRectEmpty();
  m_roundDiameters = CPoint(3, 3);
  m_bkImage = _ImageBorderConfig();
  m_bkColor = 0;
  m_bFullWindow = 0;
}

int _FormConfig::Read(CSkinReader* reader) {
  if (!reader) return 0;
  reader->GetRect(m_rcPosition, L"PositionRect", 0);
  reader->GetRect(m_rcBorderMargin, L"BorderMargin", 1);
  reader->GetSize(m_maxSize, L"MaxSize");
  reader->GetSize(m_minSize, L"MinSize");
  reader->GetBool(m_bResize, L"Resize");
  reader->GetBool(m_bFullWindow, L"IsFullWindow");
  reader->GetPoint(m_roundDiameters, L"RoundDiameters");
  reader->GetImage(m_bkImage, L"Image");
  reader->GetColor(m_bkColor, L"BkColor");
  return 1;
}

_SkinConfig* _FormConfig::Clone() {
  auto* copy = new _FormConfig;
  copy->Copy(this);
  return copy;
}

}  // namespace UI
