#pragma once
// A tooltip control ("tooltips_class32", win32/ToolTip.h) owned by a window: a popup that
// shows a tool's text once the pointer rests on the tool. Its owner relays its mouse
// messages with RelayEvent. A tool is (window, id); with TTF_IDISHWND the id is a window.
#include "mfc/CWnd.h"
#include "win32/ToolTip.h"

class CToolInfo : public TOOLINFOW {
 public:
  CToolInfo() : TOOLINFOW{} { cbSize = sizeof(TOOLINFOW); }
  TCHAR szText[256] = {};
};

class CToolTipCtrl : public CWnd {
 public:
  // A popup owned by `parent` (its tools' window); FALSE when the window can't be made.
  BOOL Create(CWnd* parent, DWORD style = 0);

  // The delay before a tip shows; with TTDT_AUTOMATIC also the others (ten times it
  // before the tip hides, a fifth of it from one tool's tip to the next).
  void SetDelayTime(UINT delayMs) { SendMessage(TTM_SETDELAYTIME, TTDT_AUTOMATIC, static_cast<LPARAM>(delayMs)); }
  void SetDelayTime(DWORD which, int delayMs) { SendMessage(TTM_SETDELAYTIME, which, static_cast<LPARAM>(delayMs)); }
  int GetDelayTime(DWORD which) const;
  // Wider tips wrap at this width; -1: no wrapping. Returns the previous width.
  int SetMaxTipWidth(int width) { return static_cast<int>(SendMessage(TTM_SETMAXTIPWIDTH, 0, width)); }
  void Activate(BOOL active) { SendMessage(TTM_ACTIVATE, static_cast<WPARAM>(active)); }
  void RelayEvent(LPMSG msg) { SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg)); }
  void Pop() { SendMessage(TTM_POP); }

  // A tool of `window`: the rectangle `rect` of its client area with the id, or with a null
  // rectangle and id 0 the window itself.
  BOOL AddTool(CWnd* window, LPCTSTR text, LPCRECT rect = nullptr, UINT_PTR id = 0);
  void DelTool(CWnd* window, UINT_PTR id = 0);
  BOOL GetToolInfo(CToolInfo& info, CWnd* window, UINT_PTR id = 0) const;
  void SetToolRect(CWnd* window, UINT_PTR id, LPCRECT rect);
  void UpdateTipText(LPCTSTR text, CWnd* window, UINT_PTR id = 0);
  void GetText(CString& text, CWnd* window, UINT_PTR id = 0) const;
  int GetToolCount() const;

 private:
  // The record naming a tool; a window without a rectangle and id is its own tool.
  static TOOLINFOW Tool(CWnd* window, UINT_PTR id, bool wholeWindow);
};
