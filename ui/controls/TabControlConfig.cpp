#include "ui/controls/TabControlConfig.h"

#include "ui/skin/SkinReader.h"

namespace UI {

namespace {

// The strip's side by name, any case; any other text is the left side.
DOCK PlacementFromText(const CString& text) {
  static const struct {
    const wchar_t* full;
    const wchar_t* letter;
    DOCK side;
  } kSides[] = {{L"Left", L"L", DOCK_LEFT},       {L"Top", L"T", DOCK_TOP},
                {L"Right", L"R", DOCK_RIGHT},     {L"Bottom", L"B", DOCK_BOTTOM},
                {L"LeftBottom", L"LB", DOCK_LEFTBOTTOM}, {L"TopRight", L"TR", DOCK_TOPRIGHT}};
  for (const auto& s : kSides) {
    if (text.CompareNoCase(s.full) == 0 || text.CompareNoCase(s.letter) == 0) return s.side;
  }
  return DOCK_LEFT;
}

}  // namespace

void _TabControlConfig::Copy(_SkinConfig* other) {
  if (other == this) return;
  Reset();
  _ItemsControlConfig::Copy(other);
  if (auto* tab = dynamic_cast<_TabControlConfig*>(other)) m_placement = tab->m_placement;
}

void _TabControlConfig::Reset() {
  _ItemsControlConfig::Reset();
  m_placement = DOCK_LEFT;
  m_headerMargin.SetRectEmpty();
  m_panelOffset.SetRectEmpty();
}

int _TabControlConfig::Read(CSkinReader* reader) {
  if (!reader) return 0;
  _ItemsControlConfig::Read(reader);
  CString placement;
  if (reader->GetString(placement, L"TabStripPlacement")) m_placement = PlacementFromText(placement);
  reader->GetRect(m_headerMargin, L"TabItemHeaderMargin", 1);
  reader->GetRect(m_panelOffset, L"TabPanelOffset", 1);
  return 1;
}

_SkinConfig* _TabControlConfig::Clone() {
  auto* copy = new _TabControlConfig;
  copy->Copy(this);
  return copy;
}

void _TabItemConfig::Copy(_SkinConfig* other) {
  auto* item = dynamic_cast<_TabItemConfig*>(other);
  if (item && item != this) *this = *item;
}

void _TabItemConfig::Reset() {
  _ItemBaseConfig::Reset();
  m_headerDefault.Reset();
  m_headerHover.Reset();
  m_headerSelected.Reset();
}

int _TabItemConfig::Read(CSkinReader* reader) {
  if (!reader) return 0;
  _ItemBaseConfig::Read(reader);
  reader->GetImage(m_headerDefault, L"ImageBKDefault");
  reader->GetImage(m_headerHover, L"ImageBKHover");
  reader->GetImage(m_headerSelected, L"ImageBKSelected");
  return 1;
}

_SkinConfig* _TabItemConfig::Clone() {
  auto* copy = new _TabItemConfig;
  copy->Copy(this);
  return copy;
}

}  // namespace UI
