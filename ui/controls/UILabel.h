#pragma once
// A piece of text over an optional background image. It can act as a
// hyperlink (hand cursor, underline on hover, opens its address when clicked)
// or as a clickable text that reports clicks (event 1) and, when its style
// asks, the pointer entering (5) and leaving (6). UI thread only.
#include "ui/UIControl.h"

namespace UI {

class _LabelConfig;

class CUILabel : public CUIControl {
 public:
  CUILabel();

  void RenderSelf(DXCore* core, const CRect* clip) override;
  BOOL OnMouseMessage(UINT message, UINT flags, const CPoint& point) override;
  BOOL OnKeyMessage(UINT message, UINT key, UINT repeat, UINT flags) override;
  BOOL OnSetCursor(UINT hitTest, UINT message) override;
  // Opens the address of a hyperlink, then event 1; nothing while disabled.
  virtual void OnClick();

  // These act on the label's own style record (nothing without one) and do
  // not repaint.
  void SetHyperLinkMode(int on, CString url, int alwaysUnderlined);
  // DT_* values, stored as given.
  void SetAlignmentHor(int format);
  void SetAlignmentVer(int format);
  void SetTextColor(DWORD argb);
  void SetFontBold(int bold);
  void SetMultiLine(int multiLine);
  // The text's width in the style font and the font's height as stored;
  // (0, 0) for empty text, or without a form or a style record.
  CSize GetTextSize();

  BOOL IsPressed() const { return m_bPressed; }

 private:
  _LabelConfig* GetLabelConfig();

  // The pointer is over the label (only followed while it is enabled).
  BOOL m_bOver = FALSE;
  // The left button went down on the label and has not left it.
  BOOL m_bPressed = FALSE;
};

}  // namespace UI
