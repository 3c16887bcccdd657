#pragma once
// A window object bound to an HWND.
//
// The handle map (process-wide) takes an HWND to its permanent CWnd. Messages reach
// the object through AfxWndProc, which the window gets as its procedure when the
// object creates (or subclasses) it; the previous procedure stays as the default.
//
// Lifetime: the object is detached from its window when the window gets
// WM_NCDESTROY; PostNcDestroy (where a heap object may delete itself) runs only when
// the outermost message dispatch to the object has returned, so no handler still on
// the stack runs on a deleted object. Deleting an object whose window still exists
// first detaches it, so the window's last messages never reach a half-destroyed
// object. A window and its object belong to the thread that created them.
#include "mfc/CCmdTarget.h"
#include "mfc/CRect.h"
#include "mfc/CString.h"
#include "win32/OleAuto.h"

class COleControlSite;

class CWnd : public CCmdTarget {
 public:
  CWnd();
  explicit CWnd(HWND hwnd);  // a temporary object for a window this object does not own
  ~CWnd() override;

  HWND m_hWnd = nullptr;
  operator HWND() const { return m_hWnd; }
  HWND GetSafeHwnd() const { return m_hWnd; }

  // The permanent object of a window, or null.
  static CWnd* FromHandlePermanent(HWND hwnd);
  // The permanent object, else a temporary one that lives until the thread is next idle
  // (CWinThread::OnIdle); null for a null handle.
  static CWnd* FromHandle(HWND hwnd);
  static void DeleteTempMap();

  BOOL Attach(HWND hwnd);
  HWND Detach();
  // Makes this object receive the messages of an existing window.
  BOOL SubclassWindow(HWND hwnd);
  HWND UnsubclassWindow();

  virtual BOOL CreateEx(DWORD exStyle, LPCTSTR className, LPCTSTR windowName, DWORD style, int x, int y,
                        int width, int height, HWND parent, HMENU menuOrId, LPVOID param = nullptr);
  BOOL CreateEx(DWORD exStyle, LPCTSTR className, LPCTSTR windowName, DWORD style, const RECT& rect,
                CWnd* parent, UINT id, LPVOID param = nullptr);
  // A child window (WS_CHILD is added).
  virtual BOOL Create(LPCTSTR className, LPCTSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                      UINT id, void* context = nullptr);
  // NOTE: may delete this object (through PostNcDestroy) before it returns.
  virtual BOOL DestroyWindow();

  virtual BOOL PreCreateWindow(CREATESTRUCTW& cs);
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual BOOL PreTranslateMessage(MSG* msg);
  // Called after the window is gone and the last dispatch to the object returned.
  virtual void PostNcDestroy();
  // Offers a message to the objects of its window and the window's parents, up to `stop`.
  static BOOL WalkPreTranslateTree(HWND stop, MSG* msg);
  // Passes the message being handled to the default procedure.
  LRESULT Default();

  // A nested message loop for a modal window: runs until EndModalLoop, the window's end
  // (result -1) or WM_QUIT (result -1; the quit is posted again for the outer loop).
  virtual int RunModalLoop(DWORD flags = 0);
  virtual BOOL ContinueModal();
  virtual void EndModalLoop(int result);

  // The window's state.
  BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
  BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
  BOOL MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE) {
    return ::MoveWindow(m_hWnd, x, y, width, height, repaint);
  }
  BOOL MoveWindow(LPCRECT rect, BOOL repaint = TRUE) {
    return ::MoveWindow(m_hWnd, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, repaint);
  }
  BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) {
    return ::SetWindowPos(m_hWnd, insertAfter ? insertAfter->m_hWnd : nullptr, x, y, cx, cy, flags);
  }
  void GetWindowRect(LPRECT rect) const { ::GetWindowRect(m_hWnd, rect); }
  void GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }
  void SetWindowText(LPCTSTR text) { ::SetWindowTextW(m_hWnd, text); }
  void GetWindowText(CString& text) const;
  int GetWindowTextLength() const { return ::GetWindowTextLengthW(m_hWnd); }
  BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
  BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
  DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
  DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE)); }
  BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);
  BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT flags = 0);
  CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
  int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
  BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
  UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs, TIMERPROC proc = nullptr) { return ::SetTimer(m_hWnd, id, elapseMs, proc); }
  BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
  }
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return ::PostMessageW(m_hWnd, message, wParam, lParam);
  }
  void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
  void InvalidateRect(LPCRECT rect, BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, rect, erase); }
  void UpdateWindow() { ::UpdateWindow(m_hWnd); }
  int MessageBox(LPCTSTR text, LPCTSTR caption = nullptr, UINT type = MB_OK) {
    return ::MessageBoxW(m_hWnd, text, caption, type);
  }
  BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
  BOOL IsZoomed() const { return ::IsZoomed(m_hWnd); }
  void BringWindowToTop() { ::BringWindowToTop(m_hWnd); }
  CWnd* SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
  static CWnd* GetFocus() { return FromHandle(::GetFocus()); }
  CWnd* SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
  static CWnd* GetCapture() { return FromHandle(::GetCapture()); }
  static CWnd* GetActiveWindow() { return FromHandle(::GetActiveWindow()); }
  static CWnd* GetForegroundWindow() { return FromHandle(::GetForegroundWindow()); }
  CWnd* SetParent(CWnd* parent) { return FromHandle(::SetParent(m_hWnd, parent ? parent->m_hWnd : nullptr)); }
  CWnd* GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }
  CWnd* GetTopLevelParent() const { return FromHandle(::GetAncestor(m_hWnd, GA_ROOT)); }
  void ClientToScreen(LPPOINT point) const { ::ClientToScreen(m_hWnd, point); }
  void ClientToScreen(LPRECT rect) const;
  void ScreenToClient(LPPOINT point) const { ::ScreenToClient(m_hWnd, point); }
  void ScreenToClient(LPRECT rect) const;
  // Centres the window over `over` (default: its owner or parent), or on the work area when
  // there is none or it is hidden or minimised; kept inside the work area.
  void CenterWindow(CWnd* over = nullptr);

  // ActiveX controls (CWndControl.cpp): makes the control of `clsid` with its window, a child
  // of `parent`, bound to this object; the site comes from the occ manager (AfxOle.h). Persistence
  // and licences are not offered.
  virtual BOOL CreateControl(REFCLSID clsid, LPCTSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                             UINT id, void* persist = nullptr, BOOL storage = FALSE, BSTR licenseKey = nullptr);
  IUnknown* GetControlUnknown() const;
  // Calls a member of the control: the return's type (VT_EMPTY none, VT_BSTR into a CString,
  // VT_VARIANT into a VARIANT, else the value's own type), then the arguments after their
  // VTS_ types. A failure throws nothing: the return is left as it was.
  void InvokeHelper(DISPID dispid, WORD flags, VARTYPE returnType, void* result, const BYTE* paramInfo, ...);
  // An event of the hosted control with id `id` (an event sink map answers it).
  virtual BOOL OnControlEvent(UINT id, DISPID dispid, DISPPARAMS* params);
  COleControlSite* m_pCtrlSite = nullptr;  // owned: the site of the control this object wraps
  void DeleteControlSite();

 protected:
  // Handlers a message map can name (ON_WM_...); each does what the system would.
  afx_msg int OnCreate(LPCREATESTRUCTW cs);
  afx_msg void OnDestroy();
  afx_msg void OnNcDestroy();
  afx_msg void OnClose();
  afx_msg void OnPaint();
  afx_msg void OnTimer(UINT_PTR id);
  afx_msg void OnSize(UINT type, int cx, int cy);
  afx_msg void OnShowWindow(BOOL show, UINT status);
  afx_msg void OnEnable(BOOL enable);
  afx_msg void OnGetMinMaxInfo(MINMAXINFO* info);
  afx_msg LRESULT OnNcHitTest(CPoint point);
  afx_msg void OnActivate(UINT state, CWnd* other, BOOL minimized);
  afx_msg void OnMouseMove(UINT flags, CPoint point);
  afx_msg void OnLButtonDown(UINT flags, CPoint point);
  afx_msg void OnLButtonUp(UINT flags, CPoint point);
  afx_msg void OnLButtonDblClk(UINT flags, CPoint point);
  afx_msg void OnRButtonDown(UINT flags, CPoint point);
  afx_msg void OnRButtonUp(UINT flags, CPoint point);
  afx_msg BOOL OnMouseWheel(UINT flags, short delta, CPoint point);
  afx_msg BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
  afx_msg void OnKeyDown(UINT key, UINT repeat, UINT flags);
  afx_msg void OnKeyUp(UINT key, UINT repeat, UINT flags);
  afx_msg void OnChar(UINT ch, UINT repeat, UINT flags);
  afx_msg void OnSetFocus(CWnd* old);
  afx_msg void OnKillFocus(CWnd* next);
  afx_msg void OnCaptureChanged(CWnd* wnd);
  afx_msg void OnMouseLeave();
  afx_msg void OnSysCommand(UINT id, LPARAM lParam);
  afx_msg void OnMove(int x, int y);
  afx_msg void OnWindowPosChanging(WINDOWPOS* pos);
  afx_msg void OnWindowPosChanged(WINDOWPOS* pos);

  WNDPROC m_pfnSuper = nullptr;  // the window's procedure before this object took it over
  int m_nModalResult = -1;
  bool m_continueModal = false;

  DECLARE_MESSAGE_MAP()

 private:
  friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
  // Detaches from the window after WM_NCDESTROY and arranges PostNcDestroy.
  void FinishDestroy();
  const unsigned long long m_serial;  // names the object in the dispatch records, which outlive it
  bool m_temporary = false;
};

// The procedure of every window that has a CWnd: routes messages to the object.
LRESULT CALLBACK AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Registers (once) a window class with the given look and DefWindowProc, and returns its name.
LPCTSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                            HICON icon = nullptr);
// Registers a class unless one of its name exists already.
BOOL AfxRegisterClass(WNDCLASSW* wndClass);
