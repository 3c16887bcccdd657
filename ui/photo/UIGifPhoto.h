#pragma once
// A photo whose picture is its style's background image, which can step
// through the frames of an animated picture on the form's timer 1004, one
// single-shot step at a time. UI thread only.
#include <cstdint>

#include "ui/photo/UIPhoto.h"

namespace UI {

class CUIGifPhoto : public CUIPhoto {
 public:
  static constexpr UINT kAnimationTimerId = 1004;

  CUIGifPhoto();

  void RenderSelf(DXCore* core, const CRect* clip) override;
  BOOL IsAnimating() const { return m_bAnimating; }
  void SetAnimating(BOOL animating) { m_bAnimating = animating; }

 protected:
  void OnSetSkinData() override;
  virtual void DrawGifPhoto(DXCore* core);
  void OnTimerGifAnimation(UINT timerId);

 private:
  int64_t m_lastFrameTime = 0;
  BOOL m_bAnimating = FALSE;
  BOOL m_bFrameAdvanced = FALSE;
};

}  // namespace UI
