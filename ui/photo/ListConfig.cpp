#include "ui/photo/ListConfig.h"

#include "ui/skin/SkinReader.h"

namespace UI {

void _ListConfig::Copy(_SkinConfig* other) {
  if (other == this) return;
  Reset();
  auto* list = dynamic_cast<_ListConfig*>(other);
  if (!list) return;
  _ItemsControlConfig::Copy(other);
  m_bkColor = list->m_bkColor;
  m_bScrollBarHor = list->m_bScrollBarHor;
  m_dragInsertImage.Copy(&list->m_dragInsertImage);
}

void _ListConfig::Reset() {
  _ItemsControlConfig::Reset();
  m_bScrollBarHor = 0;
  m_dragInsertImage.Reset();
}

int _ListConfig::Read(CSkinReader* reader) {
  if (!_ItemsControlConfig::Read(reader)) return 0;
  reader->GetBool(m_bScrollBarHor, L"IsScollBarHor");
  reader->GetImage(m_dragInsertImage, L"DragInsertImage");
  return 1;
}

_SkinConfig* _ListConfig::Clone() {
  auto* copy = new _ListConfig;
  copy->Copy(this);
  return copy;
}

namespace {

// The fifteen names in the order the skin is read.
struct NameField {
  const wchar_t* attribute;
  CString _ListItemConfig::*field;
};
constexpr NameField kNames[] = {
    {L"DeleteButton", &_ListItemConfig::m_strDeleteButton},
    {L"ManualClipButton", &_ListItemConfig::m_strManualClipButton},
    {L"PreserveFlagPhoto", &_ListItemConfig::m_strPreserveFlagPhoto},
    {L"BigPhoto", &_ListItemConfig::m_strBigPhoto},
    {L"AddPhotoBigPhoto", &_ListItemConfig::m_strAddPhotoBigPhoto},
    {L"BottomPanel", &_ListItemConfig::m_strBottomPanel},
    {L"NumberEdit", &_ListItemConfig::m_strNumberEdit},
    {L"DownNumButton", &_ListItemConfig::m_strDownNumButton},
    {L"UpNumButton", &_ListItemConfig::m_strUpNumButton},
    {L"EditButton", &_ListItemConfig::m_strEditButton},
    {L"PreviewButton", &_ListItemConfig::m_strPreviewButton},
    {L"NumLabel", &_ListItemConfig::m_strNumLabel},
    {L"ModifyInchLabel", &_ListItemConfig::m_strModifyInchLabel},
    {L"PixNotEnoughPhoto", &_ListItemConfig::m_strPixNotEnoughPhoto},
    {L"ClippedFlagPhoto", &_ListItemConfig::m_strClippedFlagPhoto},
};

}  // namespace

void _ListItemConfig::Copy(_SkinConfig* other) {
  auto* item = dynamic_cast<_ListItemConfig*>(other);
  if (!item || item == this) return;
  m_defaultImage.Copy(&item->m_defaultImage);
  m_bkImage.Copy(&item->m_bkImage);
  for (const NameField& n : kNames) this->*n.field = item->*n.field;
}

void _ListItemConfig::Reset() {
  _ItemBaseConfig::Reset();
  for (const NameField& n : kNames) (this->*n.field).Empty();
}

int _ListItemConfig::Read(CSkinReader* reader) {
  _ItemBaseConfig::Read(reader);
  if (!reader) return 0;
  for (const NameField& n : kNames) reader->GetString(this->*n.field, n.attribute);
  return 1;
}

_SkinConfig* _ListItemConfig::Clone() {
  auto* copy = new _ListItemConfig;
  copy->Copy(this);
  return copy;
}

}  // namespace UI
