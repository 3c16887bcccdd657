#pragma once
// The multi-line text box: the scroll content of a scroll viewer. It lays its
// text out as one row per line, tells the viewer the size of the whole text,
// draws its rows, keeps a cursor and a selection (start and length), selects by
// dragging the mouse (scrolling the viewer while the pointer is outside it, on
// a form timer of its own) and limits its text by length, lines and characters
// per line. Every change of text or selection is laid out through the viewer.
// It shows its form window's caret from its build on. UI thread only.
#include <string>
#include <vector>

#include "ui/controls/UIScrollContent.h"
#include "ui/controls/UniscribeBuffer.h"

namespace UI {

class _MultiEditConfig;

// One row of the layout, rectangles in the form's client coordinates.
struct _SingleArrangeData {
  std::wstring m_strLine;
  // The part of the selection in this row; length 0: none.
  int m_nSelStart = 0;
  int m_nSelLength = 0;
  // 0 drawn; -1 when the row lies wholly left of the visible area.
  int m_nDrawStart = 0;
  RECT m_rcLine{};
  RECT m_rcText{};
  RECT m_rcSelect{};
};

struct _MultiArrangeData {
  std::vector<_SingleArrangeData> m_rows;
  // The text the rows were made from.
  std::wstring m_strText;
  int m_nWidth = 0;
  int m_nHeight = 0;
  bool m_bArranged = false;
  RECT m_rcCaret{};
};

class CUIMultiEdit : public CUIScrollContent {
 public:
  // Each edit takes the next form timer id from here.
  static int s_TimerID;
  static constexpr int kNoLimit = 0xFFFF;

  CUIMultiEdit();
  ~CUIMultiEdit() override;

  void ArrangeAllSubControls() override;
  void CalculateContentSize(CRect* available, CSize* size) override;

  virtual void OnTimer(UINT id);
  virtual void ArrangeText();
  // "\r\n" becomes "\n".
  virtual void TextInputPrehandle(std::wstring& text);
  virtual void TextOutputPrehandle(std::wstring& text);

  // The text changes below keep the cursor and the selection, except that the
  // limits pull the cursor back to the length. A position is -1 (the end) or
  // 0 to the length; any other leaves the text as it is.
  void SetText(const wchar_t* text);
  const wchar_t* GetText() const { return m_strText.c_str(); }
  UINT GetTextLength() const { return static_cast<UINT>(m_strText.size()); }
  void InsertChar(const wchar_t& ch, int pos);
  void InsertText(const wchar_t* text, int pos);
  void EraseText(int pos, int count);
  void ClearText();
  void Select(int start, int length);
  void GetSelect(int* start, int* length) const;
  void SetCursor(int pos) { PositionCursor(pos, false, true); }
  int GetCursor() const { return m_nCursor; }
  void SetFormatHor(int format);
  int GetFormatHor();
  // Values outside 1 to 65534 are ignored; the next text change applies them.
  void SetMaxLength(int length);
  void SetMaxColumns(int columns);
  void SetMaxLines(int lines);

  int GetTimerID() const { return m_nTimerID; }
  const _MultiArrangeData& GetArrangeData() const { return m_arrange; }
  bool IsDragging() const { return m_bDragging; }

 protected:
  void RenderSelf(DXCore* core, const CRect* clip) override;
  BOOL OnMouseMessage(UINT message, UINT flags, const CPoint& point) override;
  BOOL OnKeyMessage(UINT message, UINT code, UINT repeat, UINT flags) override;
  BOOL OnSetCursor(UINT hitTest, UINT message) override;
  // Makes and shows the caret; 0 without a style record.
  BOOL OnBuildControlAfter() override;

  void RefreshArrange();
  void DrawSingleText(DXCore* core, _MultiEditConfig* config, _SingleArrangeData* row);
  void PositionCursor(int pos, bool force, bool scroll);
  // The text position under a point, with its line and column.
  void Pt2CP(CPoint point, int* pos, int* line, int* column);
  void BeginDragMove(CPoint point);
  void OnDragMove(CPoint point);
  void EndDragMove();
  void LimitText();
  int CopyToClipboard(const wchar_t* text, int count);
  int GetTextFromClipboard(std::wstring& text);

 private:
  _MultiEditConfig* GetEditConfig();
  int FontHeight();
  // The viewer's visible area: its padded bounds with the viewport's size.
  CRect VisibleArea();
  void DeleteSelection();
  bool HasSelection() const { return m_nSelLength > 0; }

  CUniscribeBuffer m_buffer{1};
  std::wstring m_strText;
  int m_nSelStart = 0;
  int m_nSelLength = 0;
  int m_nCursor = 0;
  _MultiArrangeData m_arrange;
  int m_nTimerID = 0;
  int m_nDragAnchor = 0;
  CPoint m_lastDragPoint;
  bool m_bDragging = false;
  CSize m_scrollStep;
  int m_nMaxLength = kNoLimit;
  int m_nMaxColumns = kNoLimit;
  int m_nMaxLines = kNoLimit;
};

}  // namespace UI
