#pragma once
// Message maps: a class lists the messages it handles between BEGIN_MESSAGE_MAP and
// END_MESSAGE_MAP; each map links to its base class's map, and a window looks up a
// message from its own class outwards, calling the first handler found.
//
//   class CMyWnd : public CWnd {
//     DECLARE_MESSAGE_MAP()
//     afx_msg LRESULT OnWake(WPARAM, LPARAM);
//     afx_msg void OnTimer(UINT_PTR id);
//   };
//   BEGIN_MESSAGE_MAP(CMyWnd, CWnd)
//     ON_MESSAGE(WM_USER + 1, &CMyWnd::OnWake)
//     ON_WM_TIMER()
//   END_MESSAGE_MAP()
#include "mfc/CPoint.h"
#include "win32/Windows.h"

class CCmdTarget;
class CWnd;

#define afx_msg

// How a handler is called: the signature its entry was made with.
enum AfxSig : UINT {
  AfxSig_end = 0,
  AfxSig_lwl,     // LRESULT (WPARAM, LPARAM)
  AfxSig_is,      // int (LPCREATESTRUCT)
  AfxSig_vv,      // void ()
  AfxSig_vw,      // void (UINT_PTR)
  AfxSig_vwii,    // void (UINT, int, int)
  AfxSig_vbw,     // void (BOOL, UINT)
  AfxSig_vb,      // void (BOOL)
  AfxSig_vMMI,    // void (MINMAXINFO*)
  AfxSig_cmd,     // void () for WM_COMMAND of one id range
  AfxSig_l_p,     // LRESULT (CPoint)
  AfxSig_vwWb,    // void (UINT, CWnd*, BOOL)
  AfxSig_vwp,     // void (UINT, CPoint)
  AfxSig_bwsp,    // BOOL (UINT, short, CPoint)
  AfxSig_bWww,    // BOOL (CWnd*, UINT, UINT)
  AfxSig_vwww,    // void (UINT, UINT, UINT)
  AfxSig_vW,      // void (CWnd*)
  AfxSig_vwl,     // void (UINT, LPARAM)
  AfxSig_vii,     // void (int, int)
  AfxSig_vPOS,    // void (WINDOWPOS*)
};

using AFX_PMSG = void (CCmdTarget::*)();

// The handler, in the member that its entry's signature names.
union AfxHandler {
  AFX_PMSG pfn;  // AfxSig_cmd, and the end of a map
  LRESULT (CWnd::*lwl)(WPARAM, LPARAM);
  int (CWnd::*is)(LPCREATESTRUCTW);
  void (CWnd::*vv)();
  void (CWnd::*vw)(UINT_PTR);
  void (CWnd::*vwii)(UINT, int, int);
  void (CWnd::*vbw)(BOOL, UINT);
  void (CWnd::*vb)(BOOL);
  void (CWnd::*vMMI)(MINMAXINFO*);
  LRESULT (CWnd::*l_p)(CPoint);
  void (CWnd::*vwWb)(UINT, CWnd*, BOOL);
  void (CWnd::*vwp)(UINT, CPoint);
  BOOL (CWnd::*bwsp)(UINT, short, CPoint);
  BOOL (CWnd::*bWww)(CWnd*, UINT, UINT);
  void (CWnd::*vwww)(UINT, UINT, UINT);
  void (CWnd::*vW)(CWnd*);
  void (CWnd::*vwl)(UINT, LPARAM);
  void (CWnd::*vii)(int, int);
  void (CWnd::*vPOS)(WINDOWPOS*);
};

struct AFX_MSGMAP_ENTRY {
  UINT nMessage;
  UINT nCode;
  UINT nID;
  UINT nLastID;
  AfxSig nSig;
  AfxHandler handler;
  const UINT* pRegistered;  // ON_REGISTERED_MESSAGE: the variable holding the message id
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)();
  const AFX_MSGMAP_ENTRY* lpEntries;
};

// Leaves what follows protected, as handlers usually are.
#define DECLARE_MESSAGE_MAP()                            \
 protected:                                              \
  static const AFX_MSGMAP* GetThisMessageMap();          \
  const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                        \
  const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }   \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {                                   \
    using ThisClass [[maybe_unused]] = theClass;                                      \
    using TheBaseClass = baseClass;                                                   \
    static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                             \
  { 0, 0, 0, 0, AfxSig_end, {.pfn = nullptr}, nullptr }                                        \
  }                                                                                   \
  ;                                                                                   \
  static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
  return &messageMap;                                                                 \
  }

#define ON_MESSAGE(message, memberFxn) \
  {message, 0, 0, 0, AfxSig_lwl,       \
   {.lwl = static_cast<LRESULT (CWnd::*)(WPARAM, LPARAM)>(memberFxn)}, nullptr},

#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn) \
  {0xC000, 0, 0, 0, AfxSig_lwl,                            \
   {.lwl = static_cast<LRESULT (CWnd::*)(WPARAM, LPARAM)>(memberFxn)}, &nMessageVariable},

#define ON_COMMAND(id, memberFxn) \
  {WM_COMMAND, 0, static_cast<UINT>(id), static_cast<UINT>(id), AfxSig_cmd, {.pfn = static_cast<void (CCmdTarget::*)()>(memberFxn)}, nullptr},

#define ON_WM_CREATE() \
  {WM_CREATE, 0, 0, 0, AfxSig_is, {.is = static_cast<int (CWnd::*)(LPCREATESTRUCTW)>(&ThisClass::OnCreate)}, nullptr},
#define ON_WM_DESTROY() \
  {WM_DESTROY, 0, 0, 0, AfxSig_vv, {.vv = static_cast<void (CWnd::*)()>(&ThisClass::OnDestroy)}, nullptr},
#define ON_WM_NCDESTROY() \
  {WM_NCDESTROY, 0, 0, 0, AfxSig_vv, {.vv = static_cast<void (CWnd::*)()>(&ThisClass::OnNcDestroy)}, nullptr},
#define ON_WM_CLOSE() \
  {WM_CLOSE, 0, 0, 0, AfxSig_vv, {.vv = static_cast<void (CWnd::*)()>(&ThisClass::OnClose)}, nullptr},
#define ON_WM_PAINT() \
  {WM_PAINT, 0, 0, 0, AfxSig_vv, {.vv = static_cast<void (CWnd::*)()>(&ThisClass::OnPaint)}, nullptr},
#define ON_WM_TIMER() \
  {WM_TIMER, 0, 0, 0, AfxSig_vw, {.vw = static_cast<void (CWnd::*)(UINT_PTR)>(&ThisClass::OnTimer)}, nullptr},
#define ON_WM_SIZE() \
  {WM_SIZE, 0, 0, 0, AfxSig_vwii, {.vwii = static_cast<void (CWnd::*)(UINT, int, int)>(&ThisClass::OnSize)}, nullptr},
#define ON_WM_SHOWWINDOW() \
  {WM_SHOWWINDOW, 0, 0, 0, AfxSig_vbw, {.vbw = static_cast<void (CWnd::*)(BOOL, UINT)>(&ThisClass::OnShowWindow)}, nullptr},
#define ON_WM_ENABLE() \
  {WM_ENABLE, 0, 0, 0, AfxSig_vb, {.vb = static_cast<void (CWnd::*)(BOOL)>(&ThisClass::OnEnable)}, nullptr},
#define ON_WM_GETMINMAXINFO() \
  {WM_GETMINMAXINFO, 0, 0, 0, AfxSig_vMMI, {.vMMI = static_cast<void (CWnd::*)(MINMAXINFO*)>(&ThisClass::OnGetMinMaxInfo)}, nullptr},

#define AFX_MAP_ENTRY(message, sig, member, type, fn) {message, 0, 0, 0, sig, {.member = static_cast<type>(&ThisClass::fn)}, nullptr},
#define ON_WM_NCHITTEST() AFX_MAP_ENTRY(WM_NCHITTEST, AfxSig_l_p, l_p, LRESULT (CWnd::*)(CPoint), OnNcHitTest)
#define ON_WM_ACTIVATE() AFX_MAP_ENTRY(WM_ACTIVATE, AfxSig_vwWb, vwWb, void (CWnd::*)(UINT, CWnd*, BOOL), OnActivate)
#define ON_WM_MOUSEMOVE() AFX_MAP_ENTRY(WM_MOUSEMOVE, AfxSig_vwp, vwp, void (CWnd::*)(UINT, CPoint), OnMouseMove)
#define ON_WM_LBUTTONDOWN() AFX_MAP_ENTRY(WM_LBUTTONDOWN, AfxSig_vwp, vwp, void (CWnd::*)(UINT, CPoint), OnLButtonDown)
#define ON_WM_LBUTTONUP() AFX_MAP_ENTRY(WM_LBUTTONUP, AfxSig_vwp, vwp, void (CWnd::*)(UINT, CPoint), OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() AFX_MAP_ENTRY(WM_LBUTTONDBLCLK, AfxSig_vwp, vwp, void (CWnd::*)(UINT, CPoint), OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() AFX_MAP_ENTRY(WM_RBUTTONDOWN, AfxSig_vwp, vwp, void (CWnd::*)(UINT, CPoint), OnRButtonDown)
#define ON_WM_RBUTTONUP() AFX_MAP_ENTRY(WM_RBUTTONUP, AfxSig_vwp, vwp, void (CWnd::*)(UINT, CPoint), OnRButtonUp)
#define ON_WM_MOUSEWHEEL() AFX_MAP_ENTRY(WM_MOUSEWHEEL, AfxSig_bwsp, bwsp, BOOL (CWnd::*)(UINT, short, CPoint), OnMouseWheel)
#define ON_WM_SETCURSOR() AFX_MAP_ENTRY(WM_SETCURSOR, AfxSig_bWww, bWww, BOOL (CWnd::*)(CWnd*, UINT, UINT), OnSetCursor)
#define ON_WM_KEYDOWN() AFX_MAP_ENTRY(WM_KEYDOWN, AfxSig_vwww, vwww, void (CWnd::*)(UINT, UINT, UINT), OnKeyDown)
#define ON_WM_KEYUP() AFX_MAP_ENTRY(WM_KEYUP, AfxSig_vwww, vwww, void (CWnd::*)(UINT, UINT, UINT), OnKeyUp)
#define ON_WM_CHAR() AFX_MAP_ENTRY(WM_CHAR, AfxSig_vwww, vwww, void (CWnd::*)(UINT, UINT, UINT), OnChar)
#define ON_WM_SETFOCUS() AFX_MAP_ENTRY(WM_SETFOCUS, AfxSig_vW, vW, void (CWnd::*)(CWnd*), OnSetFocus)
#define ON_WM_KILLFOCUS() AFX_MAP_ENTRY(WM_KILLFOCUS, AfxSig_vW, vW, void (CWnd::*)(CWnd*), OnKillFocus)
#define ON_WM_CAPTURECHANGED() AFX_MAP_ENTRY(WM_CAPTURECHANGED, AfxSig_vW, vW, void (CWnd::*)(CWnd*), OnCaptureChanged)
#define ON_WM_MOUSELEAVE() AFX_MAP_ENTRY(WM_MOUSELEAVE, AfxSig_vv, vv, void (CWnd::*)(), OnMouseLeave)
#define ON_WM_SYSCOMMAND() AFX_MAP_ENTRY(WM_SYSCOMMAND, AfxSig_vwl, vwl, void (CWnd::*)(UINT, LPARAM), OnSysCommand)
#define ON_WM_MOVE() AFX_MAP_ENTRY(WM_MOVE, AfxSig_vii, vii, void (CWnd::*)(int, int), OnMove)
#define ON_WM_WINDOWPOSCHANGING() AFX_MAP_ENTRY(WM_WINDOWPOSCHANGING, AfxSig_vPOS, vPOS, void (CWnd::*)(WINDOWPOS*), OnWindowPosChanging)
#define ON_WM_WINDOWPOSCHANGED() AFX_MAP_ENTRY(WM_WINDOWPOSCHANGED, AfxSig_vPOS, vPOS, void (CWnd::*)(WINDOWPOS*), OnWindowPosChanged)
