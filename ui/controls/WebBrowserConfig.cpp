#include "ui/controls/WebBrowserConfig.h"

#include "ui/skin/SkinReader.h"

namespace UI {

void _WebBrowserConfig::Copy(_SkinConfig* other) {
  auto* web = dynamic_cast<_WebBrowserConfig*>(other);
  if (!web || web == this) return;
  Reset();
  m_bkImage.Copy(&web->m_bkImage);
  m_bkImage.m_nFrame = web->m_bkImage.m_nFrame;
}

void _WebBrowserConfig::Reset() { m_bkImage.Reset(); }

int _WebBrowserConfig::Read(CSkinReader* reader) {
  if (!reader) return 0;
  reader->GetImage(m_bkImage, L"BkImage");
  return 1;
}

_SkinConfig* _WebBrowserConfig::Clone() {
  auto* copy = new _WebBrowserConfig;
  copy->Copy(this);
  return copy;
}

}  // namespace UI
