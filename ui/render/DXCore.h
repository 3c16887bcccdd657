#pragma once
// The render context handed to every control's drawing: a target image and the
// operations that draw into it. s_rscc is the process's one image cache.
// Used on the UI thread; Lock takes the image cache's lock, which a form holds
// across each of its paints.
#include <juce_graphics/juce_graphics.h>

#include "mfc/Afx.h"
#include "ui/image/ResourceCache.h"
#include "ui/render/RectF.h"

namespace UI {

class DXCore {
 public:
  static ResourceCache s_rscc;

  DXCore() = default;
  virtual ~DXCore() = default;

  // Drawing goes into this image (a null image draws nothing).
  void SetTarget(const juce::Image& target) { m_target = target; }
  juce::Image GetTarget() const { return m_target; }

  // The source rectangle of the file's image (all of it when source is zero)
  // stretched into dest, with the colour's alpha as opacity. 0 when drawn, 1
  // without a target, E_FAIL when the image can't be had.
  int DrawImage(const CString& file, const RectF& dest, const RectF& source, DWORD colour, int frame);
  // 0 when filled, 1 without a target; an alpha of 0 fills nothing.
  int FillRectangle(const CRect& rect, DWORD colour);

  void Lock() { EnterCriticalSection(s_rscc.GetImageLock()); }
  void Unlock() { LeaveCriticalSection(s_rscc.GetImageLock()); }

 private:
  juce::Image m_target;
};

}  // namespace UI
