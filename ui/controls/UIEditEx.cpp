#include "ui/controls/UIEditEx.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "ui/UIForm.h"
#include "ui/controls/ControlEvents.h"
#include "ui/controls/EditExConfig.h"
#include "ui/render/DXCore.h"
#include "win32/Caret.h"
#include "win32/Clipboard.h"
#include "win32/Cursor.h"
#include "win32/GdiText.h"
#include "win32/KeyState.h"

namespace UI {

namespace {

bool KeyDown(int key) { return ::GetKeyState(key) < 0; }

}  // namespace

CUIEditEx::CUIEditEx() {
  m_strTypeName = L"CUIEditEx";
  CUniscribeBuffer::LoadUniscribe();
}

CUIEditEx::~CUIEditEx() {
  if (m_bCaretOn && m_pOwnerForm) ::HideCaret(m_pOwnerForm->m_hWnd);
  if (IsMasked() && m_pOwnerForm) m_pOwnerForm->EnableIME();
}

_EditExConfig* CUIEditEx::GetEditConfig() { return dynamic_cast<_EditExConfig*>(GetSkinConfig(L"")); }

int CUIEditEx::FontHeight() {
  _EditExConfig* config = GetEditConfig();
  return config ? std::abs(static_cast<int>(config->m_font.lfHeight)) : 0;
}

int CUIEditEx::X(int cp, BOOL trailing) {
  int x = 0;
  if (FAILED(Measured().CaretToX(cp, trailing, &x))) return 0;
  return x;
}

BOOL CUIEditEx::CanHaveFocus() { return IsVisible() && IsEnabled(); }

// --- text -------------------------------------------------------------------------

void CUIEditEx::TextChanged() {
  if (m_TextChangedHandler) m_TextChangedHandler(this);
}

void CUIEditEx::SetText(const wchar_t* text) {
  const wchar_t* now = m_buffer.GetText();
  if (!text) text = L"";
  if (std::wcscmp(now ? now : L"", text) == 0) return;
  m_buffer.ClearText();
  m_nFirstVisible = 0;
  m_nSelStart = 0;
  m_buffer.AssignText(text);
  PlaceCaret(m_buffer.GetLength());
  m_nSelStart = m_nCaret;
  TextChanged();
  Repaint();
}

void CUIEditEx::ClearText() {
  m_buffer.ClearText();
  m_nFirstVisible = 0;
  PlaceCaret(0);
  m_nSelStart = 0;
}

bool CUIEditEx::HasRoomFor(int count, int removed) {
  const long long after = static_cast<long long>(m_buffer.GetLength()) - removed + count;
  if (after >= CUniscribeBuffer::kMaxUnits) return false;
  return m_nMaxLength == 0 || after <= static_cast<long long>(m_nMaxLength);
}

// --- caret --------------------------------------------------------------------------

void CUIEditEx::PlaceCaret(int cp) {
  m_nCaret = cp;
  const CRect inner = GetBoundsSmall();
  const int xFirst = X(m_nFirstVisible);
  const int xLead = X(cp);
  const int xTrail = cp == m_buffer.GetLength() ? xLead : X(cp, TRUE);
  if (xLead < xFirst) {
    m_nFirstVisible = cp;
  } else if (xTrail > xFirst + inner.Width()) {
    const int target = xTrail - inner.Width();
    int first = 0;
    BOOL trailing = FALSE;
    if (SUCCEEDED(Measured().XToCaret(target, &first, &trailing))) {
      if (X(first) < target) ++first;
      m_nFirstVisible = std::min(first, m_buffer.GetLength());
    }
  }
  MaintainCaret();
}

void CUIEditEx::MaintainCaret() {
  const CRect inner = GetBoundsSmall();
  if (!m_bCaretOn || !GetEditConfig() || inner.IsRectEmpty()) return;
  ::SetCaretPos(inner.left + X(m_nCaret) - X(m_nFirstVisible), inner.top + (inner.Height() - FontHeight()) / 2);
}

void CUIEditEx::StartCaret() {
  if (!m_bCaretOn && GetEditConfig() && m_pOwnerForm) {
    ::DestroyCaret();
    ::CreateCaret(m_pOwnerForm->m_hWnd, nullptr, 1, FontHeight());
    ::ShowCaret(m_pOwnerForm->m_hWnd);
    m_bCaretOn = TRUE;
    MaintainCaret();
  }
  if (IsMasked() && m_pOwnerForm) m_pOwnerForm->DisableIME();
}

void CUIEditEx::HideCaretNow() {
  if (!m_bCaretOn) return;
  if (m_pOwnerForm) ::HideCaret(m_pOwnerForm->m_hWnd);
  m_bCaretOn = FALSE;
}

void CUIEditEx::StopCaret() {
  HideCaretNow();
  if (IsMasked() && m_pOwnerForm) m_pOwnerForm->EnableIME();
}

// --- focus, enabling, visibility ----------------------------------------------------------

void CUIEditEx::SetKBFocused(BOOL focused) {
  if (!m_bEnabled || !IsEnabled()) return;
  m_bKBFocused = focused;
  if (focused) {
    if (m_pOwnerForm) {
      m_pOwnerForm->SetKeyFocusControl(this);
      StartCaret();
    }
  } else {
    StopCaret();
  }
  if (m_FocusChangedHandler) m_FocusChangedHandler(this);
}

void CUIEditEx::SetTempEnable(BOOL enable) {
  CUIControl::SetTempEnable(enable);
  if (!enable) {
    HideCaretNow();
  } else if (m_bKBFocused) {
    StartCaret();
  }
}

void CUIEditEx::SetTempVisible(BOOL visible) {
  CUIControl::SetTempVisible(visible);
  if (!visible) HideCaretNow();
}

BOOL CUIEditEx::OnActivate(UINT state, BOOL minimized) {
  if (m_bKBFocused && state != 0 && !minimized) {
    StopCaret();
    StartCaret();
  }
  return 1;
}

void CUIEditEx::PrepareBuffer() {
  _EditExConfig* config = GetEditConfig();
  DXCore* core = m_pOwnerForm ? m_pOwnerForm->GetRenderContext() : nullptr;
  if (core && config) {
    m_buffer.m_font = config->m_font;
    m_buffer.m_hDC = core->GetHDCFont();
  } else if (!core) {
    m_buffer.m_hDC = nullptr;
  }
}

void CUIEditEx::ArrangeAllSubControls() {
  CUIControl::ArrangeAllSubControls();
  MaintainCaret();
  PrepareBuffer();
}

BOOL CUIEditEx::OnSetCursor(UINT, UINT) {
  if (!m_bReadOnly) ::SetCursor(::LoadCursorW(nullptr, IDC_IBEAM));
  return 1;
}

// --- mouse -------------------------------------------------------------------------------

int CUIEditEx::HitTest(const CPoint& point) {
  const CRect inner = GetBoundsSmall();
  int cp = 0;
  BOOL trailing = FALSE;
  if (FAILED(Measured().XToCaret(point.x - inner.left + X(m_nFirstVisible), &cp, &trailing))) return -1;
  if (trailing && cp < m_buffer.GetLength()) ++cp;
  return cp;
}

BOOL CUIEditEx::OnMouseMessage(UINT message, UINT, const CPoint& point) {
  if (!m_bEnabled || !IsEnabled() || !IsVisible() || !m_pOwnerForm || m_bReadOnly) return 0;
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      SetKBFocused(TRUE);
      m_bMouseDrag = TRUE;
      SetMouseCapture();
      const int cp = HitTest(point);
      if (cp >= 0) {
        PlaceCaret(cp);
        m_nSelStart = m_nCaret;
        if (message == WM_LBUTTONDBLCLK) {
          m_nSelStart = 0;
          m_nCaret = m_buffer.GetLength();
          MaintainCaret();
        }
      }
      Repaint();
      return 1;
    }
    case WM_LBUTTONUP:
      ReleaseMouseCapture();
      m_bMouseDrag = FALSE;
      return 0;
    case WM_MOUSEMOVE:
      if (m_bMouseDrag) {
        const int cp = HitTest(point);
        if (cp >= 0) PlaceCaret(cp);
        Repaint();
      }
      return 1;
    case WM_MOUSEHOVER:
      FireEvent(kMouseEnterEvent, this);
      return 1;
    case WM_MOUSELEAVE:
      FireEvent(kMouseLeaveEvent, this);
      return 1;
    default: return 0;
  }
}

// --- keys -----------------------------------------------------------------------------------

BOOL CUIEditEx::OnKeyMessage(UINT message, UINT code, UINT, UINT) {
  if (!m_bEnabled || !IsEnabled() || !IsVisible()) return 0;
  const auto shiftRule = [this] {
    if (!KeyDown(VK_SHIFT)) m_nSelStart = m_nCaret;
  };
  if (message == WM_KEYDOWN) {
    switch (code) {
      case VK_TAB:
      case VK_RETURN:
      case VK_UP:
      case VK_DOWN:
      case VK_ESCAPE: return 0;
      case VK_HOME:
        PlaceCaret(0);
        shiftRule();
        Repaint();
        return 1;
      case VK_END:
        PlaceCaret(m_buffer.GetLength());
        shiftRule();
        Repaint();
        return 1;
      case VK_LEFT:
      case VK_RIGHT: {
        if (KeyDown(VK_CONTROL)) {
          int stop = m_nCaret;
          if (code == VK_LEFT) {
            Measured().PrevWordStop(m_nCaret, &stop);
          } else {
            Measured().NextWordStop(m_nCaret, &stop);
          }
          PlaceCaret(stop);
        } else if (code == VK_LEFT && m_nCaret > 0) {
          PlaceCaret(m_nCaret - 1);
        } else if (code == VK_RIGHT && m_nCaret < m_buffer.GetLength()) {
          PlaceCaret(m_nCaret + 1);
        }
        shiftRule();
        MaintainCaret();
        Repaint();
        return 1;
      }
      case VK_DELETE:
        if (m_bReadOnly) return 1;
        if (HasSelection()) {
          DeleteSelectionText();
          TextChanged();
        } else if (m_buffer.RemoveCharAt(m_nCaret)) {
          TextChanged();
        }
        Repaint();
        return 1;
      default: Repaint(); return 1;
    }
  }
  if (message == WM_CHAR) {
    switch (code) {
      case 1:  // Ctrl+A
        if (HasSelection()) return 0;
        m_nSelStart = 0;
        PlaceCaret(m_buffer.GetLength());
        Repaint();
        return 1;
      case 3:  // Ctrl+C
        CopyToClipboard();
        return 0;
      case 24:  // Ctrl+X: a masked or read-only edit keeps its text
        if (IsMasked() || m_bReadOnly || !HasSelection()) return 0;
        CopyToClipboard();
        DeleteSelectionText();
        TextChanged();
        Repaint();
        return 0;
      case 22:  // Ctrl+V
        if (m_bReadOnly) return 0;
        PasteFromClipboard();
        Repaint();
        return 0;
      case 8:  // Backspace
        if (m_bReadOnly) return 1;
        if (HasSelection()) {
          DeleteSelectionText();
          TextChanged();
        } else if (m_nCaret >= 1) {
          PlaceCaret(m_nCaret - 1);
          m_nSelStart = m_nCaret;
          if (m_buffer.RemoveCharAt(m_nCaret)) TextChanged();
        }
        Repaint();
        return 1;
      default: break;
    }
    if (code < 30) return 0;
    if (m_bReadOnly) return 0;
    const wchar_t ch = static_cast<wchar_t>(code);
    if (m_CharJudgeHandler) {
      int accept = 1;
      m_CharJudgeHandler(this, ch, accept);
      if (!accept) return 0;
    }
    const int selected = std::abs(m_nCaret - m_nSelStart);
    if (!HasRoomFor(1, selected)) return 1;
    if (HasSelection()) DeleteSelectionText();
    if (m_buffer.InsertCharAt(m_nCaret, ch)) {
      PlaceCaret(m_nCaret + 1);
      m_nSelStart = m_nCaret;
    }
    TextChanged();
    Repaint();
    return 1;
  }
  if (message == CUIForm::kFocusLostMsg) {
    SetKBFocused(FALSE);
    Repaint();
    return 1;
  }
  return 0;
}

// --- selection and clipboard ---------------------------------------------------------------------

void CUIEditEx::DeleteSelectionText() {
  const int a = std::min(m_nSelStart, m_nCaret);
  const int b = std::max(m_nSelStart, m_nCaret);
  PlaceCaret(a);
  m_nSelStart = m_nCaret;
  for (int i = a; i < b; ++i) m_buffer.RemoveCharAt(a);
}

void CUIEditEx::CopyToClipboard() {
  // A masked text never leaves the edit.
  if (IsMasked() || !HasSelection() || !::OpenClipboard(nullptr)) return;
  ::EmptyClipboard();
  const int a = std::min(m_nSelStart, m_nCaret);
  const int count = std::abs(m_nCaret - m_nSelStart);
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, (count + 1) * sizeof(wchar_t));
  if (block) {
    auto* units = static_cast<wchar_t*>(::GlobalLock(block));
    if (units) {
      std::memcpy(units, m_buffer.GetText() + a, count * sizeof(wchar_t));
      units[count] = 0;
      ::GlobalUnlock(block);
      if (!::SetClipboardData(CF_UNICODETEXT, block)) ::GlobalFree(block);
    } else {
      ::GlobalFree(block);
    }
  }
  ::CloseClipboard();
}

void CUIEditEx::PasteFromClipboard() {
  // The selection goes only when the clipboard's text can take its place.
  if (!::OpenClipboard(nullptr)) return;
  HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
  const auto* text = data ? static_cast<const wchar_t*>(::GlobalLock(data)) : nullptr;
  if (text) {
    const size_t bytes = ::GlobalSize(data);
    const size_t limit = bytes / sizeof(wchar_t);
    const size_t length = wcsnlen(text, limit);
    if (length < limit && length > 0 && IsValidData(text) &&
        HasRoomFor(static_cast<int>(length), std::abs(m_nCaret - m_nSelStart))) {
      DeleteSelectionText();
      if (m_buffer.InsertTextAt(m_nCaret, text)) {
        PlaceCaret(m_nCaret + static_cast<int>(length));
        m_nSelStart = m_nCaret;
        TextChanged();
      }
    }
    ::GlobalUnlock(data);
  }
  ::CloseClipboard();
}

BOOL CUIEditEx::IsValidData(const wchar_t* text) {
  if (!text) return 0;
  if (!m_CharJudgeHandler) return 1;
  for (const wchar_t* p = text; *p; ++p) {
    int accept = 1;
    m_CharJudgeHandler(this, *p, accept);
    if (!accept) return 0;
  }
  return 1;
}

// --- drawing -------------------------------------------------------------------------------------

const wchar_t* CUIEditEx::ShownText() {
  const int length = m_buffer.GetLength();
  if (!IsMasked() || length == 0) return m_buffer.GetText();
  if (!m_pMask || m_nMaskLength != length || m_chMaskChar != m_chPassword) {
    m_pMask.reset(new wchar_t[length + 1]);
    std::fill(m_pMask.get(), m_pMask.get() + length, m_chPassword);
    m_pMask[length] = 0;
    m_nMaskLength = length;
    m_chMaskChar = m_chPassword;
  }
  return m_pMask.get();
}

CUniscribeBuffer& CUIEditEx::Measured() {
  if (!IsMasked()) return m_buffer;
  const int length = m_buffer.GetLength();
  const wchar_t* mask = length > 0 ? ShownText() : L"";
  const wchar_t* held = m_maskBuffer.GetText();
  if (m_maskBuffer.GetLength() != length || (length > 0 && held && held[0] != mask[0])) {
    m_maskBuffer.ClearText();
    m_maskBuffer.AssignText(mask);
  }
  if (m_maskBuffer.m_hDC != m_buffer.m_hDC ||
      std::memcmp(&m_maskBuffer.m_font, &m_buffer.m_font, sizeof m_buffer.m_font) != 0) {
    m_maskBuffer.m_hDC = m_buffer.m_hDC;
    m_maskBuffer.m_font = m_buffer.m_font;
    m_maskBuffer.m_bAnalysisNeeded = true;
  }
  return m_maskBuffer;
}

void CUIEditEx::RenderSelf(DXCore* core, const CRect*) {
  _EditExConfig* config = GetEditConfig();
  if (!IsVisible() || !config || !core) return;
  if (!m_buffer.m_hDC) {
    m_buffer.m_font = config->m_font;
    m_buffer.m_hDC = core->GetHDCFont();
  }
  const CRect bounds = m_rcBounds;
  const CRect inner = GetBoundsSmall();
  const bool enabled = IsEnabled() && m_bEnabled;
  DWORD background = config->m_bkDisableColor;
  DWORD border = config->m_disableBorderColor;
  _ImageEdgeConfig* image = &config->m_imageDisable;
  if (enabled && m_bKBFocused) {
    background = config->m_bkColor;
    border = config->m_borderColor;
    image = &config->m_image;
  } else if (enabled) {
    background = config->m_bkReadonlyColor;
    border = config->m_readonlyBorderColor;
    image = &config->m_imageReadonly;
  }
  const DWORD textColour = enabled ? config->m_textColor : config->m_textDisableColor;
  const bool skinned = !config->m_image.m_strFile.IsEmpty();
  if (skinned) {
    image->Render(core, bounds);
  } else {
    core->FillRectangle(bounds, background);
  }
  const LOGFONTW& font = config->m_font;
  const int fontHeight = FontHeight();
  const wchar_t* shown = ShownText();
  const int length = m_buffer.GetLength();
  const int first = std::clamp(m_nFirstVisible, 0, length);
  core->DrawTextW(shown + first, -1, inner.top, inner.left, inner.Width(), inner.Height(), font.lfHeight,
                  font.lfWeight, font.lfItalic, font.lfUnderline, font.lfFaceName, 0x34, textColour);
  if (HasSelection()) {
    const int xFirst = X(m_nFirstVisible);
    CRect sel(std::min(X(m_nSelStart), X(m_nCaret)), 0, std::max(X(m_nSelStart), X(m_nCaret)), 0);
    sel.top = inner.top + (inner.Height() - fontHeight) / 2;
    sel.bottom = sel.top + fontHeight;
    sel.OffsetRect(inner.left - xFirst, 0);
    sel.IntersectRect(sel, inner);
    if (!sel.IsRectEmpty()) {
      core->FillRectangle(sel, config->m_selBkColor);
      const int from = std::clamp(std::max(first, std::min(m_nSelStart, m_nCaret)), 0, length);
      const DXCore::ClipState saved = core->SaveClip();
      core->SetClipRgn(sel);
      core->DrawTextW(shown + from, -1, sel.top, sel.left, sel.Width(), sel.Height(), font.lfHeight, font.lfWeight,
                      font.lfItalic, font.lfUnderline, font.lfFaceName, 0x34, config->m_textSelColor);
      core->RestoreClip(saved);
    }
  }
  if (!skinned) {
    const RectF frame(static_cast<float>(inner.left - 2), static_cast<float>(inner.top - 1),
                      static_cast<float>(inner.right + 1), static_cast<float>(inner.bottom + 1));
    core->DrawRectOutline(&frame, 1, border);
  }
}

}  // namespace UI
