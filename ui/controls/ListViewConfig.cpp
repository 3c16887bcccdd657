#include "ui/controls/ListViewConfig.h"

#include "ui/skin/SkinReader.h"

namespace UI {

void _UIListViewConfig::Copy(_SkinConfig* other) {
  auto* list = dynamic_cast<_UIListViewConfig*>(other);
  if (!list || list == this) return;
  Reset();
  *this = *list;
}

void _UIListViewConfig::Reset() {
  m_nItemPadding = 10;
  m_itemSize = CSize(50, 50);
  m_colorBackground = 0xFFFFFFFF;
}

int _UIListViewConfig::Read(CSkinReader* reader) {
  if (!reader) return 1;
  reader->GetInt(m_nItemPadding, L"ItemPaddingLimit");
  reader->GetSize(m_itemSize, L"ItemSize");
  reader->GetColor(m_colorBackground, L"ColorBackground");
  return 1;
}

_SkinConfig* _UIListViewConfig::Clone() {
  auto* copy = new _UIListViewConfig;
  copy->Copy(this);
  return copy;
}

}  // namespace UI
