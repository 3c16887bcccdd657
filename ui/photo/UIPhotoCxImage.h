#pragma once
// A photo decoded by the image library (held in memory rather than read from
// the image cache by file name), which can be turned by quarter turns.
// UI thread only.
#include "ui/photo/UIPhoto.h"

class CxImage;

namespace UI {

class CUIPhotoCxImage : public CUIPhoto {
 public:
  CUIPhotoCxImage();
  ~CUIPhotoCxImage() override;

  // Decodes the file through the owner form's render context; 0 when it fails.
  int SetImage(const CString& path) override;
  using CUIPhoto::SetImage;
  // Takes the decoded picture (null gives 0).
  int SetImage(CxImage* image, const CString& name);
  CString GetImageFile() const override { return m_strImageName; }
  CxImage* GetImage();
  bool RotateRight();
  bool RotateLeft();

 protected:
  void DrawSelf(DXCore* core) override;
  _ImageConfig* NewImageConfig() override;
  CRect RotateRect(CRect rect, float degrees);

 private:
  bool Rotate(bool left);
  DXCore* Core() const;

  CString m_strImageName;
};

}  // namespace UI
