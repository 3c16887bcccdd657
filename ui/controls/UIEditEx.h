#pragma once
// The one-line text box. It keeps its text in a text buffer that also measures
// caret positions, draws the text itself, shows its form window's caret while
// it holds the keyboard focus, scrolls horizontally by its first visible
// character and can mask its text with a password character (while a masked
// edit has the caret the form's input method is detached, and its text never
// goes to the clipboard). Changes are reported through three handler members.
// UI thread only.
#include <memory>

#include "fastdelegate/FastDelegate.h"
#include "ui/UIControl.h"
#include "ui/controls/UniscribeBuffer.h"

namespace UI {

class _EditExConfig;

class CUIEditEx : public CUIControl {
 public:
  static constexpr wchar_t kNoMask = L'#';

  CUIEditEx();
  ~CUIEditEx() override;

  // Nothing when the text is the same; else the caret goes to the end and the
  // text-changed handler runs.
  void SetText(const wchar_t* text);
  // Valid until the next change of the text.
  const wchar_t* GetText() const { return m_buffer.GetText(); }
  // Empties the text without calling the handler or repainting.
  void ClearText();
  void SetPasswordChar(wchar_t ch) { m_chPassword = ch; }
  wchar_t GetPasswordChar() const { return m_chPassword; }
  // A read-only edit takes no mouse input and no text changes from keys.
  void SetReadOnly(BOOL readOnly) { m_bReadOnly = readOnly; }
  BOOL IsReadOnly() const { return m_bReadOnly; }
  // 0: only the buffer's own limit.
  void SetMaxLength(UINT length) { m_nMaxLength = length; }
  BOOL CanHaveFocus();

  int GetCaret() const { return m_nCaret; }
  int GetAnchor() const { return m_nSelStart; }
  int GetFirstVisible() const { return m_nFirstVisible; }
  BOOL IsCaretShown() const { return m_bCaretOn; }

  void SetKBFocused(BOOL focused) override;
  BOOL OnActivate(UINT state, BOOL minimized) override;
  void SetTempEnable(BOOL enable) override;
  void ArrangeAllSubControls() override;

  fastdelegate::FastDelegate1<CUIEditEx*> m_FocusChangedHandler;
  fastdelegate::FastDelegate1<CUIEditEx*> m_TextChangedHandler;
  // Called with (edit, character, accept preset to 1); accept := 0 refuses it.
  fastdelegate::FastDelegate3<CUIEditEx*, wchar_t, int&> m_CharJudgeHandler;

 protected:
  void SetTempVisible(BOOL visible) override;
  void RenderSelf(DXCore* core, const CRect* clip) override;
  BOOL OnMouseMessage(UINT message, UINT flags, const CPoint& point) override;
  BOOL OnKeyMessage(UINT message, UINT code, UINT repeat, UINT flags) override;
  BOOL OnSetCursor(UINT hitTest, UINT message) override;

  void PlaceCaret(int cp);
  void MaintainCaret();
  void StartCaret();
  void StopCaret();
  void DeleteSelectionText();
  void CopyToClipboard();
  void PasteFromClipboard();
  BOOL IsValidData(const wchar_t* text);
  static int RectWidth(const RECT& r) { return r.right - r.left; }
  static int RectHeight(const RECT& r) { return r.bottom - r.top; }

 private:
  _EditExConfig* GetEditConfig();
  bool IsMasked() const { return m_chPassword != kNoMask; }
  bool HasSelection() const { return m_nSelStart != m_nCaret; }
  // The leading (or trailing) x of a position from the start of the text.
  int X(int cp, BOOL trailing = FALSE);
  int FontHeight();
  // The position under a point of the form, or -1.
  int HitTest(const CPoint& point);
  // Room for `count` more units after `removed` go, within both limits.
  bool HasRoomFor(int count, int removed);
  void TextChanged();
  void Repaint() { Refresh(FALSE, nullptr); }
  void HideCaretNow();
  void PrepareBuffer();
  const wchar_t* ShownText();
  // The buffer that measures what is drawn: the text, or for a masked edit the mask,
  // so that the caret, the selection and hits line up with the drawn dots.
  CUniscribeBuffer& Measured();

  CUniscribeBuffer m_buffer{1};
  CUniscribeBuffer m_maskBuffer{1};
  int m_nCaret = 0;
  int m_nFirstVisible = 0;
  BOOL m_bMouseDrag = FALSE;
  int m_nSelStart = 0;
  UINT m_nMaxLength = 0;
  wchar_t m_chPassword = kNoMask;
  std::unique_ptr<wchar_t[]> m_pMask;
  int m_nMaskLength = -1;
  wchar_t m_chMaskChar = 0;
  BOOL m_bReadOnly = FALSE;
  BOOL m_bCaretOn = FALSE;
};

}  // namespace UI
