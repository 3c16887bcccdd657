#include "ui/image/ImageItem.h"

namespace UI {

tagImageItem::tagImageItem() : m_pRoot(this) {}

void tagImageItem::Release() {
  tagImageItem* root = m_pRoot ? m_pRoot : this;
  for (tagImageItem* node = root->m_pNext; node;) {
    tagImageItem* next = node->m_pNext;
    delete node;
    node = next;
  }
  delete root;
}

int tagImageItem::GetWidth() const { return m_image.isValid() ? m_image.getWidth() : 0; }
int tagImageItem::GetHeight() const { return m_image.isValid() ? m_image.getHeight() : 0; }
bool tagImageItem::IsARGB() const { return m_image.isValid() && m_image.hasAlphaChannel(); }

DWORD tagImageItem::GetPixelAt(int x, int y) const {
  if (!m_image.isValid() || x < 0 || y < 0 || x >= m_image.getWidth() || y >= m_image.getHeight()) return 0;
  return m_image.getPixelAt(x, y).getARGB();
}

void tagImageItem::TextureCopy_s(tagImageItem* src, tagImageItem* root, tagImageItem* next) {
  if (src && src != this) {
    m_image = src->m_image;
    src->m_image = juce::Image();
    m_nFrameValue1 = src->m_nFrameValue1;
    m_nFrameValue2 = src->m_nFrameValue2;
    m_nExtra = src->m_nExtra;
  }
  m_pRoot = root;
  m_pNext = next;
}

void tagImageItem::MultiTextureCopy_s(tagImageItem* src) {
  if (!src || src == this) return;
  tagImageItem* from = src->m_pRoot ? src->m_pRoot : src;
  tagImageItem* to = this;
  tagImageItem* previous = nullptr;
  while (from) {
    if (!to) {
      to = new tagImageItem;
      previous->m_pNext = to;
    }
    to->TextureCopy_s(from, this, to->m_pNext);
    previous = to;
    to = to->m_pNext;
    from = from->m_pNext;
  }
  // Frames this chain had beyond src's.
  previous->m_pNext = nullptr;
  while (to) {
    tagImageItem* next = to->m_pNext;
    delete to;
    to = next;
  }
}

}  // namespace UI
