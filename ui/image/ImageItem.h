#pragma once
// One entry of the image cache, also a node of a frame chain. The cache keeps
// single-frame entries only. The pixels are a JUCE image, which counts its own
// references: a copy taken with GetImage stays drawable after the entry's
// pixels are replaced or the entry is released.
#include <juce_graphics/juce_graphics.h>

#include "mfc/Afx.h"

namespace UI {

struct tagImageItem {
  tagImageItem();
  tagImageItem(const tagImageItem&) = delete;
  tagImageItem& operator=(const tagImageItem&) = delete;
  ~tagImageItem() = default;

  // Frees the frames after the root, then the root with its image.
  void Release();

  int GetNumFrames() const { return 1; }
  int GetDelayTime() const { return 100; }
  juce::Image GetImage() const { return m_pRoot->m_image; }
  int GetWidth() const;
  int GetHeight() const;
  bool IsARGB() const;
  // ARGB (not premultiplied); 0 without image or outside it.
  DWORD GetPixelAt(int x, int y) const;

  // Takes over src's image (src is left without) and frame values; sets the links.
  void TextureCopy_s(tagImageItem* src, tagImageItem* root, tagImageItem* next);
  // Makes this chain as long as src's and moves each frame's image and values into it.
  void MultiTextureCopy_s(tagImageItem* src);

  juce::Image m_image;  // null when the entry holds no pixels
  int m_nFrameValue1 = 0;
  int m_nFrameValue2 = 0;
  tagImageItem* m_pRoot;
  tagImageItem* m_pNext = nullptr;
  int m_nExtra = 0;
};

}  // namespace UI
