#pragma once
// The framework's top-level window: an MFC window that is at the same time the
// root control of its control tree. Its tree is named by the form's object ID
// in the skin build file; a form whose ID the build file doesn't name can't be
// created. Every form is in the form manager from its construction to its
// destruction.
//
// The form paints its tree through its render context, repainting only from
// the lowest opaque container above the control that asked; routes mouse
// messages to the control under the pointer (or the capturing one) and keys
// to the control with keyboard focus; moves focus along its TAB order; and
// runs modally in a nested loop, ending the newest modal child first.
// UI thread only.
#include <map>
#include <set>
#include <vector>

#include "fastdelegate/FastDelegate.h"
#include "mfc/AfxWin.h"
#include "mfc/CToolTipCtrl.h"
#include "ui/UIControl.h"
#include "win32/Imm.h"

namespace UI {

class AnimationController;
class CUIMenu;
class DXCore;

using TimerHandler = fastdelegate::FastDelegate1<UINT>;

class CUIForm : public CWnd, public CUIControl {
 public:
  static constexpr UINT kAddSubTooltipMsg = 0x2009;
  static constexpr UINT kRemoveSubTooltipMsg = 0x200A;
  // A WM_PAINT with this wParam is an animation frame.
  static constexpr UINT kAnimationTimerId = 14401;
  static constexpr UINT kFocusLostMsg = 4024;
  static constexpr UINT kFocusGainedMsg = 4025;
  // Posted by the form's popup menu when Escape is pressed in it.
  static constexpr UINT kMenuEscapeMsg = 10907;

  CUIForm();
  // Releases the tree, leaves the form manager and unregisters the form's window class.
  ~CUIForm() override;

  // Registers a window class of the given name and creates the window (the
  // caption and child styles removed, WS_CLIPCHILDREN added). 1 on success, 0
  // when the window or the form's tree could not be made.
  int Create(DWORD style, const wchar_t* className, const wchar_t* title, CWnd* parent, UINT id, CRect rect);
  int Create(DWORD exStyle, DWORD style, const wchar_t* className, const wchar_t* title, CWnd* parent, UINT id,
             CRect rect);

  // The input method: detached from the window (its context kept) while a
  // masked edit has the caret, attached again afterwards. Both give the
  // window the keyboard focus; nothing without a live window.
  void DisableIME();
  void EnableIME();

  // A system cursor (an IDC_* name) shown over the whole form in place of
  // its controls' own, until set back to null (the arrow). 0 when the name
  // is no system cursor; 1 otherwise, and at once when it is the current one.
  int SetGlobalCursor(const wchar_t* name);
  const wchar_t* GetGlobalCursor() const { return m_pGlobalCursor; }

  // The window class the form was created with.
  CString GetClassNameW() const { return m_strText; }

  BOOL IsModalWnd() const { return m_bModal; }
  DXCore* GetRenderContext() const { return m_pCore; }
  // Steps the form's animations on timer 14401.
  AnimationController* GetAnimationController() const { return m_pAnimationController; }
  // The window frame's width on the left and its height on the top.
  CSize GetFrameOffsets() const;

  // Key focus: the control losing it gets key message 4024, the one gaining it 4025.
  virtual void SetKeyFocusControl(CUIControl* control);
  CUIControl* GetKeyFocusControl() const { return m_pKeyFocusControl; }
  // Hover follows the control under the pointer.
  void SetMouseFocusControl(CUIControl* control);
  CUIControl* GetMouseFocusControl() const { return m_pMouseFocusControl; }
  // A control leaves this form's tree (released or taken out): the form drops
  // every reference it keeps to it.
  virtual void ForgetControl(CUIControl* control);
  // Re-reads the tree's layout and styles from the current skin and arranges it.
  virtual void OnSkinChanged();

  // Runs the form modally; the result is EndDialog's code (-1 when the loop failed).
  int DoModal();
  // Ends the innermost modal form of this form's chain: this one with `code`,
  // or, while it has modal children, its newest child with 0.
  void EndDialog(int code);
  int GetModalResult() const { return m_nModalResult; }

  // The control whose Refresh asked last; it guides the next partial repaint.
  void SetNeedRefreshControl(CUIControl* control);
  CUIControl* GetNeedRefreshControl() const { return m_pNeedRefreshControl; }
  // The control that receives every mouse message while it is set.
  void SetCaptureControl(CUIControl* control) { m_pCaptureControl = control; }
  // The popup menu shown from this form, while it is open. A left or right
  // press on the form, or Escape in the menu, closes it with its tree.
  void SetActiveMenu(CUIMenu* menu) { m_pActiveMenu = menu; }
  CUIMenu* GetActiveMenu() const { return m_pActiveMenu; }
  CUIControl* GetCaptureControl() const { return m_pCaptureControl; }

  void AddTABOrder(CUIControl* control) { m_tabOrder.push_back(control); }
  void ClearTABOrder();
  CUIControl* GetNextTabCtrl();
  CUIControl* GetPrevTabCtrl();
  void SetEscapeClose(BOOL close) { m_bEscapeClose = close; }

  // One handler per timer id: 0 when the id has one already.
  int RegisterTimerHandler(UINT id, UINT elapse, TimerHandler handler);
  void UnRegisterTimerHandler(UINT id);

  // Tooltips: controls join and leave the form's tooltip window through
  // posted messages; a control that goes leaves the pending set first, so
  // that messages still queued for it do nothing.
  BOOL HasToolTip() const { return m_toolTip.m_hWnd != nullptr; }
  // The tooltip window (600 ms before a tip shows, tips 200 pixels wide).
  void CreateToolTip();
  void AddSubTooltip(CUIControl* control);
  void RemoveSubTooltip(CUIControl* control);
  void RemoveTooltipMsg(CUIControl* control) { m_tooltipControls.erase(control); }
  // Relays every message to the tooltip window; a closing form takes them all.
  BOOL PreTranslateMessage(MSG* msg) override;

  // The icon resource of the program, sent with WM_SETICON.
  void SetIcon(UINT resourceId, BOOL big);
  // Shown, restored, brought over every window and made foreground; the root
  // takes key focus when no control of the TAB order has it.
  virtual void BringToTop();

  void RenderSelf(DXCore* core, const CRect* clip) override;
  // The border margin becomes the root's padding; the window takes the
  // skin's position and loses its maximize box when it may not resize.
  void OnSetSkinData() override;
  // The window moved and sized so that its client area is `r`, its frame
  // around it (kept on screen at the top left).
  void SetFormPosition(CRect r);
  // The window cut to the root's bounds with the skin's rounded corners.
  void SetFormRgn();
  // A new region (the caller's), or null without a style record.
  HRGN GetBoundRgn();

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  LRESULT OnMouseMsg(UINT message, UINT wParam, const CPoint& point);
  LRESULT OnKeyMsg(UINT message, UINT wParam, UINT repeat, UINT flags);
  // The visible, enabled control under the pointer, which decides its shape.
  CUIControl* ControlUnderPointer();
  // Closes the active menu's chain and releases its tree; 1 when there was one.
  int ReleaseActiveMenu();
  virtual void OnMouseLeave(UINT, const CPoint&) {}
  void OnPaint(WPARAM wParam);
  virtual void PreModal();
  void PostModal();
  void AddSubModalForm(CUIForm* form) { m_subModalForms.push_back(form); }
  void RemoveSubModalForm(CUIForm* form);
  CUIControl* GetCurFocused();
  // The focus move of TAB and the arrow keys; 1.
  LRESULT MoveFocus(CUIControl* from, CUIControl* to);

  afx_msg int OnCreate(LPCREATESTRUCTW cs);
  afx_msg void OnSize(UINT type, int cx, int cy);
  afx_msg void OnTimer(UINT_PTR id);
  afx_msg void OnClose();
  // The tree follows the window's enabling.
  afx_msg void OnEnable(BOOL enable);
  // A resizable form is resized by an inner band as wide as its frame and
  // dragged by its caption control; HTNOWHERE without a style record.
  afx_msg LRESULT OnNcHitTest(CPoint point);
  // Limits from the style record: the maximised size and position on the
  // nearest monitor, and the minimum tracking size.
  afx_msg void OnGetMinMaxInfo(MINMAXINFO* info);
  LRESULT OnAddSubTooltip(WPARAM control, LPARAM);
  LRESULT OnRemoveSubTooltip(WPARAM control, LPARAM);
  // The tool of a control: a form's own window, else this window with the
  // control's address as the id.
  CWnd* ToolWindow(CUIControl* control, UINT_PTR* id);

  void OnQueryCloseForm();
  void PostNcDestroy() override;

  CWnd* m_pParentWnd = nullptr;
  CUIControl* m_pKeyFocusControl = nullptr;
  CUIControl* m_pMouseFocusControl = nullptr;
  CUIControl* m_pNeedRefreshControl = nullptr;
  // More than one control asked since the last paint: the repaint starts at the root.
  BOOL m_bManyNeedRefresh = FALSE;
  CUIControl* m_pCaptureControl = nullptr;
  CUIMenu* m_pActiveMenu = nullptr;
  CUIControl* m_pCaption = nullptr;
  DXCore* m_pCore = nullptr;
  AnimationController* m_pAnimationController = nullptr;
  BOOL m_bModal = FALSE;
  int m_nModalResult = -1;
  BOOL m_bClosing = FALSE;
  // A modeless form closed by its user is deleted once its window is gone.
  BOOL m_bDeleteOnDestroy = FALSE;
  BOOL m_bMouseTracking = FALSE;
  BOOL m_bEscapeClose = TRUE;
  CToolTipCtrl m_toolTip;
  std::vector<CUIControl*> m_tabOrder;
  int m_nCurTab = -1;
  std::vector<CUIForm*> m_subModalForms;
  std::map<UINT, TimerHandler> m_timers;
  std::set<CUIControl*> m_tooltipControls;
  HIMC m_hSavedIMC = nullptr;
  const wchar_t* m_pGlobalCursor = nullptr;

  DECLARE_MESSAGE_MAP()
};

}  // namespace UI
