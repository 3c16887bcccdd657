#pragma once
// A picture fitted into a control's bounds: shrunk with its aspect ratio kept,
// never enlarged (unless the style stretches it), centred or on the bottom
// edge, over an optional nine-slice background. A file that has disappeared is
// replaced by the program's fall-back picture. UI thread only.
#include <memory>

#include "ui/UIControl.h"
#include "ui/image/ImageConfig.h"

namespace UI {

class CUIPhoto : public CUIControl {
 public:
  CUIPhoto();
  ~CUIPhoto() override;

  void SetBounds(const CRect& bounds) override;
  void ArrangeAllSubControls() override;
  void RenderSelf(DXCore* core, const CRect* clip) override;

  // 0 for an empty path (nothing changes); else the picture is that file (1).
  virtual int SetImage(const CString& path);
  virtual _ImageConfig* GetImageConfig() { return m_pImage.get(); }
  virtual CString GetImageFile() const;
  // 0 for a piece without a file; else a copy of it is the picture (1).
  int SetImage(_ImageConfig config);
  void SetDrawColor(unsigned long argb);
  // Writes the style's stretch flag; the photo is refitted at the next SetBounds or SetImage.
  void SetAutoFit(int fit);
  CRect GetPhotoBounds() const { return m_rcPhoto; }
  void SetArrangeAsVisual(bool visual) { m_bArrangeAsVisual = visual; }
  bool GetArrangeAsVisual() const { return m_bArrangeAsVisual; }

  // The program's fall-back picture, SysBmp/defaultimage.png beside the program.
  static CString DefaultImagePath();

 protected:
  virtual void DrawSelf(DXCore* core);
  void SetPhotoBounds();
  // The image record, made when there is none; reset when asked.
  _ImageConfig* ResetImage();
  virtual _ImageConfig* NewImageConfig() { return new _ImageConfig; }

  std::unique_ptr<_ImageConfig> m_pImage;
  CRect m_rcPhoto;
  bool m_bArrangeAsVisual = false;
};

}  // namespace UI
