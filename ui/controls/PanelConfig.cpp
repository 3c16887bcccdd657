#include "ui/controls/PanelConfig.h"

#include "ui/skin/SkinReader.h"

namespace UI {

void _PanelConfig::Copy(_SkinConfig* other) {
  auto* panel = dynamic_cast<_PanelConfig*>(other);
  if (!panel || panel == this) return;
  m_bkImage.Copy(&panel->m_bkImage);
  m_bkColor = panel->m_bkColor;
}

void _PanelConfig::Reset() {
  m_bkImage.Reset();
  m_bkColor = 0;
}

int _PanelConfig::Read(CSkinReader* reader) {
  if (!reader) return 0;
  reader->GetImage(m_bkImage, L"BkImage");
  reader->GetColor(m_bkColor, L"BkColor");
  return 1;
}

_SkinConfig* _PanelConfig::Clone() {
  auto* copy = new _PanelConfig;
  copy->Copy(this);
  return copy;
}

void ReadOrientation(CSkinReader* reader, int& orientation) {
  CString word;
  if (!reader || !reader->GetString(word, L"Orientation")) return;
  orientation = word.CompareNoCase(L"Vertical") == 0 || word.CompareNoCase(L"Ver") == 0 ? OrientationVertical
                                                                                          : OrientationHorizontal;
}

// The arranging panels' records copy as a whole: reset, then the base values
// and their own from a record of their class.
namespace {

template <typename Record>
void CopyWhole(Record* self, _SkinConfig* other, void (*own)(Record*, const Record&)) {
  if (!other || other == self) return;
  self->Reset();
  self->_PanelConfig::Copy(other);
  if (auto* same = dynamic_cast<Record*>(other)) own(self, *same);
}

template <typename Record>
_SkinConfig* CloneOf(Record* self) {
  auto* copy = new Record;
  copy->Copy(self);
  return copy;
}

}  // namespace

void _DockPanelConfig::Copy(_SkinConfig* other) {
  CopyWhole<_DockPanelConfig>(this, other, [](_DockPanelConfig* to, const _DockPanelConfig& from) {
    to->m_bLastChildFill = from.m_bLastChildFill;
  });
}

void _DockPanelConfig::Reset() {
  _PanelConfig::Reset();
  m_bLastChildFill = 1;
}

int _DockPanelConfig::Read(CSkinReader* reader) {
  _PanelConfig::Read(reader);
  if (reader) reader->GetBool(m_bLastChildFill, L"IsLastChildFill");
  return 1;
}

_SkinConfig* _DockPanelConfig::Clone() { return CloneOf(this); }

void _StackPanelConfig::Copy(_SkinConfig* other) {
  CopyWhole<_StackPanelConfig>(this, other, [](_StackPanelConfig* to, const _StackPanelConfig& from) {
    to->m_nOrientation = from.m_nOrientation;
  });
}

void _StackPanelConfig::Reset() {
  _PanelConfig::Reset();
  m_nOrientation = OrientationHorizontal;
}

int _StackPanelConfig::Read(CSkinReader* reader) {
  _PanelConfig::Read(reader);
  ReadOrientation(reader, m_nOrientation);
  return 1;
}

_SkinConfig* _StackPanelConfig::Clone() { return CloneOf(this); }

void _WrapPanelConfig::Copy(_SkinConfig* other) {
  CopyWhole<_WrapPanelConfig>(this, other, [](_WrapPanelConfig* to, const _WrapPanelConfig& from) {
    to->m_nOrientation = from.m_nOrientation;
    to->m_itemSize = from.m_itemSize;
  });
}

void _WrapPanelConfig::Reset() {
  _PanelConfig::Reset();
  m_nOrientation = OrientationHorizontal;
  m_itemSize = CSize(0, 0);
}

int _WrapPanelConfig::Read(CSkinReader* reader) {
  _PanelConfig::Read(reader);
  ReadOrientation(reader, m_nOrientation);
  if (reader) reader->GetSize(m_itemSize, L"ItemSize");
  return 1;
}

_SkinConfig* _WrapPanelConfig::Clone() { return CloneOf(this); }

void _SplitPanelConfig::Copy(_SkinConfig* other) {
  CopyWhole<_SplitPanelConfig>(this, other, [](_SplitPanelConfig* to, const _SplitPanelConfig& from) {
    to->m_bHorz = from.m_bHorz;
    to->m_nOriFirSubConPixel = from.m_nOriFirSubConPixel;
    to->m_nMinFirSubConPixel = from.m_nMinFirSubConPixel;
    to->m_nMaxFirSubConPixel = from.m_nMaxFirSubConPixel;
    to->m_barImage.Copy(const_cast<_ImageConfig*>(&from.m_barImage));
  });
}

void _SplitPanelConfig::Reset() {
  _PanelConfig::Reset();
  m_bHorz = 1;
  m_nOriFirSubConPixel = m_nMinFirSubConPixel = m_nMaxFirSubConPixel = 0;
  m_barImage.Reset();
}

int _SplitPanelConfig::Read(CSkinReader* reader) {
  _PanelConfig::Read(reader);
  if (!reader) return 1;
  reader->GetBool(m_bHorz, L"IsHorz");
  reader->GetInt(m_nOriFirSubConPixel, L"OriFirSubConPixel");
  reader->GetInt(m_nMinFirSubConPixel, L"MinFirSubConPixel");
  reader->GetInt(m_nMaxFirSubConPixel, L"MaxFirSubConPixel");
  reader->GetImage(m_barImage, L"BarBkImage");
  return 1;
}

_SkinConfig* _SplitPanelConfig::Clone() { return CloneOf(this); }

}  // namespace UI
