#include "ui/controls/ItemsControlConfig.h"

#include "ui/skin/SkinReader.h"

namespace UI {

void _ItemBaseConfig::Copy(_SkinConfig* other) {
  auto* item = dynamic_cast<_ItemBaseConfig*>(other);
  if (!item || item == this) return;
  m_defaultImage = item->m_defaultImage;
  m_bkImage = item->m_bkImage;
}

void _ItemBaseConfig::Reset() {
  m_defaultImage.Reset();
  m_bkImage.Reset();
}

int _ItemBaseConfig::Read(CSkinReader* reader) {
  if (!reader) return 0;
  reader->GetImage(m_defaultImage, L"DefaultImage");
  reader->GetImage(m_bkImage, L"BkImage");
  return 1;
}

_SkinConfig* _ItemBaseConfig::Clone() {
  auto* copy = new _ItemBaseConfig;
  copy->Copy(this);
  return copy;
}

void _ItemsControlConfig::Copy(_SkinConfig* other) {
  auto* items = dynamic_cast<_ItemsControlConfig*>(other);
  if (!items || items == this) return;
  m_bkImage = items->m_bkImage;
  m_strItemCss = items->m_strItemCss;
  m_itemSize = items->m_itemSize;
}

void _ItemsControlConfig::Reset() {
  m_bkImage.Reset();
  m_bkColor = 0;
  m_strItemCss = L"ItemPublic";
  m_itemSize = CSize(0, 0);
}

int _ItemsControlConfig::Read(CSkinReader* reader) {
  if (!reader) return 0;
  reader->GetImage(m_bkImage, L"BkImage");
  reader->GetColor(m_bkColor, L"BkColor");
  reader->GetString(m_strItemCss, L"ItemCss");
  reader->GetSize(m_itemSize, L"ItemSize");
  return 1;
}

_SkinConfig* _ItemsControlConfig::Clone() {
  auto* copy = new _ItemsControlConfig;
  copy->Reset();
  copy->Copy(this);
  return copy;
}

}  // namespace UI
