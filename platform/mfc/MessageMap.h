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

#define DECLARE_MESSAGE_MAP()                            \
 protected:                                              \
  static const AFX_MSGMAP* GetThisMessageMap();          \
  virtual const AFX_MSGMAP* GetMessageMap() const;       \
                                                         \
 private:

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
