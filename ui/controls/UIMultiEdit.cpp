#include "ui/controls/UIMultiEdit.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "common/TextSplit.h"
#include "ui/UIForm.h"
#include "ui/controls/MultiEditConfig.h"
#include "ui/controls/UIScrollViewer.h"
#include "ui/render/DXCore.h"
#include "win32/Caret.h"
#include "win32/Clipboard.h"

namespace UI {

int CUIMultiEdit::s_TimerID = 870420;

namespace {

constexpr UINT kDragScrollMs = 100;
// Room left beside the caret when the viewer scrolls it into view from the right.
constexpr int kCaretMargin = 10;

}  // namespace

CUIMultiEdit::CUIMultiEdit() {
  m_strTypeName = L"CUIMultiEdit";
  CUniscribeBuffer::LoadUniscribe();
  m_nTimerID = s_TimerID++;
}

CUIMultiEdit::~CUIMultiEdit() {
  // The form must not call a timer handler of a control that is gone.
  if (m_pOwnerForm) m_pOwnerForm->UnRegisterTimerHandler(static_cast<UINT>(m_nTimerID));
  ::DestroyCaret();
}

_MultiEditConfig* CUIMultiEdit::GetEditConfig() { return dynamic_cast<_MultiEditConfig*>(GetSkinConfig(L"")); }

int CUIMultiEdit::FontHeight() {
  _MultiEditConfig* config = GetEditConfig();
  return config ? std::abs(static_cast<int>(config->m_font.lfHeight)) : 0;
}

CRect CUIMultiEdit::VisibleArea() {
  CUIScrollViewer* viewer = GetScrollViewer();
  if (!viewer) return CRect();
  const CRect v = viewer->GetBoundsSmall();
  const CSize view = viewer->GetViewportSize();
  return CRect(v.left, v.top, v.left + view.cx, v.top + view.cy);
}

void CUIMultiEdit::RefreshArrange() {
  if (m_pParent) m_pParent->ArrangeAllSubControls();
}

// --- text ------------------------------------------------------------------------------------

void CUIMultiEdit::SetText(const wchar_t* text) {
  m_strText = text ? text : L"";
  LimitText();
  RefreshArrange();
}

void CUIMultiEdit::InsertChar(const wchar_t& ch, int pos) {
  const int length = static_cast<int>(m_strText.size());
  if (pos < -1 || pos > length) return;
  m_strText.insert(pos == -1 ? m_strText.size() : static_cast<size_t>(pos), 1, ch);
  LimitText();
  RefreshArrange();
}

void CUIMultiEdit::InsertText(const wchar_t* text, int pos) {
  const int length = static_cast<int>(m_strText.size());
  if (!text || pos < -1 || pos > length) return;
  m_strText.insert(pos == -1 ? m_strText.size() : static_cast<size_t>(pos), text);
  LimitText();
  RefreshArrange();
}

void CUIMultiEdit::EraseText(int pos, int count) {
  const int length = static_cast<int>(m_strText.size());
  if (pos < 0 || pos >= length || count <= 0) return;
  m_strText.erase(static_cast<size_t>(pos), static_cast<size_t>(std::min(count, length - pos)));
  RefreshArrange();
}

void CUIMultiEdit::ClearText() {
  if (m_strText.empty()) return;
  m_strText.clear();
  RefreshArrange();
}

void CUIMultiEdit::LimitText() {
  if (static_cast<int>(m_strText.size()) > m_nMaxLength) m_strText.resize(static_cast<size_t>(m_nMaxLength));
  int lines = 1;
  int columns = 0;
  for (size_t i = 0; i < m_strText.size();) {
    if (m_strText[i] == L'\n') {
      if (++lines > m_nMaxLines) {
        m_strText.erase(i);
        break;
      }
      // The newline is the first unit of its line.
      columns = 1;
    } else {
      ++columns;
    }
    if (columns > m_nMaxColumns) {
      m_strText.erase(i, 1);
      --columns;
      continue;
    }
    ++i;
  }
  m_nCursor = std::min(m_nCursor, static_cast<int>(m_strText.size()));
}

void CUIMultiEdit::SetMaxLength(int length) {
  if (length >= 1 && length < kNoLimit) m_nMaxLength = length;
}
void CUIMultiEdit::SetMaxColumns(int columns) {
  if (columns >= 1 && columns < kNoLimit) m_nMaxColumns = columns;
}
void CUIMultiEdit::SetMaxLines(int lines) {
  if (lines >= 1 && lines < kNoLimit) m_nMaxLines = lines;
}

void CUIMultiEdit::Select(int start, int length) {
  if (start == m_nSelStart && length == m_nSelLength) return;
  m_nSelStart = start;
  m_nSelLength = length;
  RefreshArrange();
}

void CUIMultiEdit::GetSelect(int* start, int* length) const {
  if (start) *start = m_nSelStart;
  if (length) *length = m_nSelLength;
}

void CUIMultiEdit::SetFormatHor(int format) {
  _MultiEditConfig* config = GetEditConfig();
  if (!config || config->m_nFormatHor == format) return;
  config->m_nFormatHor = format;
  RefreshArrange();
}

int CUIMultiEdit::GetFormatHor() {
  _MultiEditConfig* config = GetEditConfig();
  return config ? config->m_nFormatHor : 0;
}

void CUIMultiEdit::TextInputPrehandle(std::wstring& text) {
  for (size_t at = 0; (at = text.find(L"\r\n", at)) != std::wstring::npos;) text.erase(at, 1);
}

void CUIMultiEdit::TextOutputPrehandle(std::wstring& text) { text = m_strText; }

// --- layout ----------------------------------------------------------------------------------

void CUIMultiEdit::CalculateContentSize(CRect*, CSize* size) {
  if (!size) return;
  _MultiEditConfig* config = GetEditConfig();
  DXCore* core = m_pOwnerForm ? m_pOwnerForm->GetRenderContext() : nullptr;
  // An edit never measured has no rows yet, even for an empty text.
  if (!config || !core || (m_strText == m_arrange.m_strText && !m_arrange.m_rows.empty())) {
    *size = CSize(m_arrange.m_nWidth, m_arrange.m_nHeight);
    return;
  }
  m_buffer.m_font = config->m_font;
  m_buffer.m_hDC = core->GetHDCFont();
  std::vector<std::wstring> lines;
  Common::SpliteTstring(m_strText, L"\n", &lines);
  m_arrange.m_rows.clear();
  m_arrange.m_strText = m_strText;
  const int rowHeight = config->m_nLineSpacing + FontHeight();
  int width = 0;
  int height = 0;
  for (const std::wstring& line : lines) {
    _SingleArrangeData row;
    row.m_strLine = line;
    m_buffer.AssignText(line.c_str());
    int x = 0;
    m_buffer.CaretToX(static_cast<int>(line.size()), TRUE, &x);
    row.m_rcLine = RECT{0, height, x, height + rowHeight};
    m_arrange.m_rows.push_back(row);
    width = std::max(width, x);
    height += rowHeight;
  }
  m_arrange.m_nWidth = width;
  m_arrange.m_nHeight = height;
  *size = CSize(width, height);
}

void CUIMultiEdit::ArrangeText() {
  const CRect inner = GetBoundsSmall();
  const CRect v = VisibleArea();
  CUIScrollViewer* viewer = GetScrollViewer();
  _MultiEditConfig* config = GetEditConfig();
  m_arrange.m_bArranged = false;
  if (!viewer || !config || inner.Width() < 1 || inner.Height() < 1 || v.Width() < 1 || v.Height() < 1) return;
  const int w = std::max(v.Width(), inner.Width());
  CRect unite(10000, inner.top, -10000, inner.bottom);
  if (!m_arrange.m_rows.empty()) {
    const int dy = inner.top - m_arrange.m_rows.front().m_rcLine.top;
    int offset = 0;
    for (_SingleArrangeData& row : m_arrange.m_rows) {
      const int length = static_cast<int>(row.m_strLine.size());
      m_buffer.AssignText(row.m_strLine.c_str());
      int start = m_nSelStart - offset;
      int count = m_nSelLength;
      offset += length + 1;
      if (start < 0) {
        count += start;
        start = 0;
      } else if (start >= length) {
        start = 0;
        count = 0;
      }
      if (count < 0) {
        count = 0;
      } else if (start + count > length) {
        count = length - start;
      }
      row.m_nSelStart = start;
      row.m_nSelLength = count;
      const int rowWidth = row.m_rcLine.right - row.m_rcLine.left;
      int x = inner.left;
      if (config->m_nFormatHor == 2) {
        x += w - rowWidth;
      } else if (config->m_nFormatHor == 1) {
        x += (w - rowWidth) / 2;
      }
      row.m_rcLine = RECT{x, row.m_rcLine.top + dy, x + rowWidth, row.m_rcLine.bottom + dy};
      row.m_rcText = row.m_rcLine;
      row.m_rcSelect = RECT{};
      row.m_nDrawStart = row.m_rcLine.right < v.left ? -1 : 0;
      if (count > 0) {
        int xs = 0;
        int xe = 0;
        m_buffer.CaretToX(start, FALSE, &xs);
        m_buffer.CaretToX(start + count - 1, TRUE, &xe);
        if (xs < xe) row.m_rcSelect = RECT{row.m_rcLine.left + xs, row.m_rcLine.top, row.m_rcLine.left + xe,
                                           row.m_rcLine.bottom};
      }
      unite.left = std::min(unite.left, row.m_rcLine.left);
      unite.right = std::max(unite.right, row.m_rcLine.right);
    }
  }
  unite.left = std::min(unite.left, v.left);
  unite.right = std::max(unite.right, v.right);
  SetBounds(unite);
  m_arrange.m_bArranged = true;
}

void CUIMultiEdit::ArrangeAllSubControls() {
  ArrangeText();
  PositionCursor(m_nCursor, true, false);
  CUIScrollContent::ArrangeAllSubControls();
}

// --- cursor ----------------------------------------------------------------------------------

void CUIMultiEdit::PositionCursor(int pos, bool force, bool scroll) {
  pos = std::clamp(pos, 0, static_cast<int>(m_strText.size()));
  if (!force && pos == m_nCursor) return;
  m_nCursor = pos;
  if (!m_arrange.m_bArranged || !GetEditConfig() || m_arrange.m_rows.empty()) return;
  int r = pos;
  size_t index = 0;
  for (; index + 1 < m_arrange.m_rows.size(); ++index) {
    const int length = static_cast<int>(m_arrange.m_rows[index].m_strLine.size());
    if (length >= r) break;
    r -= length + 1;
  }
  const _SingleArrangeData& row = m_arrange.m_rows[index];
  m_buffer.AssignText(row.m_strLine.c_str());
  int x = 0;
  m_buffer.CaretToX(std::min(r, static_cast<int>(row.m_strLine.size())), FALSE, &x);
  const int left = row.m_rcLine.left + x;
  m_arrange.m_rcCaret = RECT{left, row.m_rcLine.bottom - FontHeight(), left + 1, row.m_rcLine.bottom};
  ::SetCaretPos(m_arrange.m_rcCaret.left, m_arrange.m_rcCaret.top);

  CUIScrollViewer* viewer = GetScrollViewer();
  if (!scroll || !viewer) return;
  const CRect v = VisibleArea();
  RECT caret = m_arrange.m_rcCaret;
  if (caret.left < v.left) {
    viewer->SetHorizontalOffset(viewer->GetOffset().x + caret.left - v.left - kCaretMargin);
  } else if (caret.right > v.right) {
    viewer->SetHorizontalOffset(viewer->GetOffset().x + caret.right - v.right);
  }
  // The horizontal scroll has placed the caret again.
  caret = m_arrange.m_rcCaret;
  if (caret.top < v.top) {
    viewer->SetVerticalOffset(viewer->GetOffset().y + caret.top - v.top);
  } else if (caret.bottom > v.bottom) {
    viewer->SetVerticalOffset(viewer->GetOffset().y + caret.bottom - v.bottom);
  }
}

void CUIMultiEdit::Pt2CP(CPoint point, int* pos, int* line, int* column) {
  *pos = 0;
  if (line) *line = 0;
  if (column) *column = 0;
  if (!m_arrange.m_bArranged || m_strText.empty() || m_arrange.m_rows.empty()) return;
  const CRect b = GetBounds();
  const int x = std::max(static_cast<int>(point.x), static_cast<int>(b.left));
  const int y = std::clamp(static_cast<int>(point.y), static_cast<int>(b.top), static_cast<int>(b.bottom));
  const RECT& first = m_arrange.m_rows.front().m_rcLine;
  const int rowHeight = first.bottom - first.top;
  // Rows without height (no line spacing, no font height) all sit at the top.
  const int count = static_cast<int>(m_arrange.m_rows.size());
  const int l = rowHeight > 0 ? std::clamp((y - static_cast<int>(b.top)) / rowHeight, 0, count - 1) : 0;
  const _SingleArrangeData& row = m_arrange.m_rows[static_cast<size_t>(l)];
  m_buffer.AssignText(row.m_strLine.c_str());
  int c = 0;
  BOOL trailing = FALSE;
  m_buffer.XToCaret(std::min(x, static_cast<int>(b.right)) - row.m_rcLine.left, &c, &trailing);
  if (trailing) ++c;
  c = std::clamp(c, 0, static_cast<int>(row.m_strLine.size()));
  int at = c;
  for (int i = 0; i < l; ++i) at += static_cast<int>(m_arrange.m_rows[static_cast<size_t>(i)].m_strLine.size()) + 1;
  *pos = at;
  if (line) *line = l;
  if (column) *column = c;
}

// --- drawing ---------------------------------------------------------------------------------

void CUIMultiEdit::RenderSelf(DXCore* core, const CRect*) {
  _MultiEditConfig* config = GetEditConfig();
  if (!config || !core || !m_arrange.m_bArranged) return;
  for (_SingleArrangeData& row : m_arrange.m_rows) DrawSingleText(core, config, &row);
}

void CUIMultiEdit::DrawSingleText(DXCore* core, _MultiEditConfig* config, _SingleArrangeData* row) {
  const int length = static_cast<int>(row->m_strLine.size());
  if (row->m_nDrawStart < 0 || row->m_nDrawStart >= length) return;
  const LOGFONTW& font = config->m_font;
  const CRect line(row->m_rcLine);
  if (config->m_rowBackground >> 24) core->FillRectangle(line, config->m_rowBackground);
  const CRect text(row->m_rcText);
  core->DrawTextW(row->m_strLine.c_str() + row->m_nDrawStart, length - row->m_nDrawStart, text.top, text.left,
                  text.Width(), text.Height(), font.lfHeight, font.lfWeight, font.lfItalic, font.lfUnderline,
                  font.lfFaceName, DT_BOTTOM, config->m_textColor);
  const CRect select(row->m_rcSelect);
  if (row->m_nSelLength <= 0 || select.IsRectEmpty() || row->m_nDrawStart >= row->m_nSelStart + row->m_nSelLength) {
    return;
  }
  core->FillRectangle(CRect(select.left, select.bottom - FontHeight(), select.right, select.bottom),
                      config->m_selectionBackground);
  // The text runs to its NUL: the selected units alone.
  const std::wstring selected = row->m_strLine.substr(static_cast<size_t>(row->m_nSelStart),
                                                      static_cast<size_t>(row->m_nSelLength));
  core->DrawTextW(selected.c_str(), static_cast<int>(selected.size()), select.top, select.left, select.Width(),
                  select.Height(), font.lfHeight, font.lfWeight, font.lfItalic, font.lfUnderline, font.lfFaceName,
                  DT_BOTTOM, config->m_selectedTextColor);
}

// --- mouse -----------------------------------------------------------------------------------

BOOL CUIMultiEdit::OnMouseMessage(UINT message, UINT, const CPoint& point) {
  switch (message) {
    case WM_LBUTTONDOWN: {
      if (m_pOwnerForm) m_pOwnerForm->SetKeyFocusControl(this);
      int pos = 0;
      Pt2CP(point, &pos, nullptr, nullptr);
      PositionCursor(pos, false, true);
      BeginDragMove(point);
      Refresh(FALSE, nullptr);
      return 1;
    }
    case WM_MOUSEMOVE:
      if (m_bDragging) OnDragMove(point);
      return 1;
    case WM_LBUTTONUP:
      EndDragMove();
      return 1;
    default: return 0;
  }
}

void CUIMultiEdit::BeginDragMove(CPoint point) {
  if (m_nSelStart != m_nCursor || m_nSelLength != 0) Select(m_nCursor, 0);
  m_nDragAnchor = m_nCursor;
  m_lastDragPoint = point;
  m_bDragging = true;
  SetMouseCapture();
}

void CUIMultiEdit::EndDragMove() {
  m_bDragging = false;
  ReleaseMouseCapture();
}

void CUIMultiEdit::OnDragMove(CPoint point) {
  m_lastDragPoint = point;
  CUIScrollViewer* viewer = GetScrollViewer();
  if (!viewer) return;
  const CRect v = VisibleArea();
  const CPoint p(std::clamp(static_cast<int>(point.x), static_cast<int>(v.left), static_cast<int>(v.right) - 1),
                 std::clamp(static_cast<int>(point.y), static_cast<int>(v.top), static_cast<int>(v.bottom) - 1));
  int pos = 0;
  int line = 0;
  int column = 0;
  Pt2CP(p, &pos, &line, &column);
  if (pos < m_nDragAnchor) {
    Select(pos, m_nDragAnchor - pos);
  } else {
    Select(m_nDragAnchor, pos - m_nDragAnchor);
  }
  PositionCursor(pos, false, true);
  m_scrollStep = CSize(0, 0);
  if (point.x < v.left && column > 0) {
    m_scrollStep.cx = point.x - v.left;
  } else if (point.x > v.right) {
    m_scrollStep.cx = point.x - v.right;
  }
  if (point.y < v.top && line > 0) {
    m_scrollStep.cy = point.y - v.top;
  } else if (point.y > v.bottom) {
    m_scrollStep.cy = point.y - v.bottom;
  }
  if ((m_scrollStep.cx || m_scrollStep.cy) && m_pOwnerForm) {
    m_pOwnerForm->RegisterTimerHandler(static_cast<UINT>(m_nTimerID), kDragScrollMs,
                                       fastdelegate::MakeDelegate(this, &CUIMultiEdit::OnTimer));
  }
  Refresh(FALSE, nullptr);
}

void CUIMultiEdit::OnTimer(UINT id) {
  if (id != static_cast<UINT>(m_nTimerID)) return;
  if (m_pOwnerForm) m_pOwnerForm->UnRegisterTimerHandler(id);
  if (!m_bDragging) return;
  if (CUIScrollViewer* viewer = GetScrollViewer()) viewer->SetOffset(viewer->GetOffset() + m_scrollStep);
  OnDragMove(m_lastDragPoint);
}

BOOL CUIMultiEdit::OnSetCursor(UINT, UINT) {
  ::SetCursor(::LoadCursorW(nullptr, IDC_IBEAM));
  return 1;
}

BOOL CUIMultiEdit::OnBuildControlAfter() {
  if (!GetEditConfig()) return 0;
  HWND window = m_pOwnerForm ? m_pOwnerForm->m_hWnd : nullptr;
  ::DestroyCaret();
  ::CreateCaret(window, nullptr, 1, FontHeight());
  ::ShowCaret(window);
  return 1;
}

// --- keys ------------------------------------------------------------------------------------

void CUIMultiEdit::DeleteSelection() {
  const int start = m_nSelStart;
  const int length = m_nSelLength;
  PositionCursor(start, false, true);
  EraseText(start, length);
  Select(start, 0);
}

BOOL CUIMultiEdit::OnKeyMessage(UINT message, UINT code, UINT, UINT) {
  if (message == WM_KEYDOWN) {
    switch (code) {
      case VK_BACK:
        if (m_strText.empty()) return 1;
        if (HasSelection()) {
          DeleteSelection();
        } else if (m_nCursor != 0) {
          PositionCursor(m_nCursor - 1, false, true);
          EraseText(m_nCursor, 1);
        }
        Refresh(FALSE, nullptr);
        return 1;
      case VK_LEFT:
      case VK_RIGHT:
        if (HasSelection()) Select(0, 0);
        PositionCursor(m_nCursor + (code == VK_LEFT ? -1 : 1), false, true);
        Refresh(FALSE, nullptr);
        return 1;
      case VK_DELETE:
        if (m_strText.empty()) return 1;
        if (HasSelection()) {
          DeleteSelection();
          Refresh(FALSE, nullptr);
        } else if (m_nCursor < static_cast<int>(m_strText.size())) {
          EraseText(m_nCursor, 1);
          Refresh(FALSE, nullptr);
        }
        return 1;
      default: return 0;
    }
  }
  if (message != WM_CHAR) return 0;
  const int length = static_cast<int>(m_strText.size());
  switch (code) {
    case 1:  // Ctrl+A
      Select(0, length);
      PositionCursor(length, false, true);
      Refresh(FALSE, nullptr);
      return 1;
    case 3:    // Ctrl+C
    case 24:   // Ctrl+X
      if (!HasSelection()) return 1;
      CopyToClipboard(m_strText.c_str() + std::min(m_nSelStart, length),
                      std::min(m_nSelLength, length - std::min(m_nSelStart, length)));
      if (code == 24) {
        DeleteSelection();
        Refresh(FALSE, nullptr);
      }
      return 1;
    case 22: {  // Ctrl+V
      std::wstring pasted;
      GetTextFromClipboard(pasted);
      TextInputPrehandle(pasted);
      if (HasSelection()) DeleteSelection();
      InsertText(pasted.c_str(), m_nCursor);
      PositionCursor(m_nCursor + static_cast<int>(pasted.size()), false, true);
      Refresh(FALSE, nullptr);
      return 1;
    }
    case 13:  // Enter: a new line, and the form may still act on the key
      if (HasSelection()) DeleteSelection();
      InsertText(L"\n", m_nCursor);
      PositionCursor(m_nCursor + 1, false, true);
      Refresh(FALSE, nullptr);
      return 0;
    default: break;
  }
  if (code < 30) return 0;
  if (HasSelection()) DeleteSelection();
  InsertChar(static_cast<wchar_t>(code), m_nCursor);
  PositionCursor(m_nCursor + 1, false, true);
  Refresh(FALSE, nullptr);
  return 1;
}

// --- clipboard -------------------------------------------------------------------------------

int CUIMultiEdit::CopyToClipboard(const wchar_t* text, int count) {
  if (!text || count < 0 || !::OpenClipboard(nullptr)) return 0;
  ::EmptyClipboard();
  int done = 0;
  if (HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, (static_cast<size_t>(count) + 1) * sizeof(wchar_t))) {
    auto* units = static_cast<wchar_t*>(::GlobalLock(block));
    if (units) {
      std::memcpy(units, text, static_cast<size_t>(count) * sizeof(wchar_t));
      units[count] = 0;
      ::GlobalUnlock(block);
    }
    // From here the block is the clipboard's, unless it refuses it.
    if (units && ::SetClipboardData(CF_UNICODETEXT, block)) {
      done = 1;
    } else {
      ::GlobalFree(block);
    }
  }
  ::CloseClipboard();
  return done;
}

int CUIMultiEdit::GetTextFromClipboard(std::wstring& text) {
  if (!::OpenClipboard(nullptr)) return 0;
  HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
  const auto* units = data ? static_cast<const wchar_t*>(::GlobalLock(data)) : nullptr;
  if (!units) {
    ::CloseClipboard();
    return 0;
  }
  text = units;
  ::GlobalUnlock(data);
  ::CloseClipboard();
  return 1;
}

}  // namespace UI
