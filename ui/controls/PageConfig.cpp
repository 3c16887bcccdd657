#include "ui/controls/PageConfig.h"

#include "ui/skin/SkinReader.h"

namespace UI {

void _PageConfig::Copy(_SkinConfig* other) {
  auto* page = dynamic_cast<_PageConfig*>(other);
  if (!page || page == this) return;
  *this = *page;
}

void _PageConfig::Reset() {
  m_bDefaultVisible = 0;
  m_strPrevPageID.Empty();
  m_strNextPageID.Empty();
  m_strPrevPageButtonID.Empty();
  m_strNextPageButtonID.Empty();
}

int _PageConfig::Read(CSkinReader* reader) {
  if (!reader) return 1;
  reader->GetBool(m_bDefaultVisible, L"DefaultVisiblity");
  reader->GetString(m_strPrevPageID, L"PrevPageID");
  reader->GetString(m_strNextPageID, L"NextPageID");
  reader->GetString(m_strPrevPageButtonID, L"PrevPageButtonID");
  reader->GetString(m_strNextPageButtonID, L"NextPageButtonID");
  return 1;
}

_SkinConfig* _PageConfig::Clone() {
  auto* copy = new _PageConfig;
  copy->Copy(this);
  return copy;
}

}  // namespace UI
