#pragma once
// Event sink maps: a window that hosts an ActiveX control lists the control's events
// it handles, by control id and event DISPID. The handler's parameters are taken from
// the event's arguments in order (pointers to variants and booleans by reference).
//
//   class CMyWnd : public CWnd {
//     DECLARE_EVENTSINK_MAP()
//     void OnDone(IDispatch* source, VARIANT* url);
//   };
//   BEGIN_EVENTSINK_MAP(CMyWnd, CWnd)
//     ON_EVENT(CMyWnd, 3000, 259, OnDone, VTS_DISPATCH VTS_PVARIANT)
//   END_EVENTSINK_MAP()
#include <type_traits>
#include <utility>

#include "mfc/CCmdTarget.h"
#include "win32/OleAuto.h"

// The parameter types an entry names (kept for the reader; the handler's own
// signature decides the conversion).
#define VTS_NONE ""
#define VTS_I2 "\x02"
#define VTS_I4 "\x03"
#define VTS_R8 "\x05"
#define VTS_BSTR "\x08"
#define VTS_DISPATCH "\x09"
#define VTS_BOOL "\x0B"
#define VTS_VARIANT "\x0C"
#define VTS_PBOOL "\x4B"
#define VTS_PVARIANT "\x4C"

struct AFX_EVENTSINKMAP_ENTRY {
  UINT id;  // 0 ends the map
  DISPID dispid;
  BOOL (*call)(CCmdTarget* target, DISPPARAMS* params);
};

namespace afxevent {

template <class A>
A Arg(VARIANT& v) {
  if constexpr (std::is_same_v<A, VARIANT*>) {
    return v.vt == (VT_VARIANT | VT_BYREF) ? v.pvarVal : &v;
  } else if constexpr (std::is_same_v<A, VARIANT_BOOL*>) {
    return v.vt == (VT_BOOL | VT_BYREF) ? v.pboolVal : &v.boolVal;
  } else if constexpr (std::is_same_v<A, IDispatch*>) {
    return v.vt == VT_DISPATCH ? v.pdispVal : nullptr;
  } else if constexpr (std::is_same_v<A, BSTR>) {
    return v.vt == VT_BSTR ? v.bstrVal : nullptr;
  } else if constexpr (std::is_same_v<A, double>) {
    return v.vt == VT_R8 ? v.dblVal : 0.0;
  } else {
    static_assert(std::is_integral_v<A>, "an event parameter of a kind the sink cannot pass");
    return v.vt == VT_BOOL ? static_cast<A>(v.boolVal != 0) : static_cast<A>(v.lVal);
  }
}

template <class T, class R, class... A, size_t... I>
BOOL Call(T* target, R (T::*handler)(A...), DISPPARAMS* params, std::index_sequence<I...>) {
  constexpr size_t n = sizeof...(A);
  if constexpr (std::is_void_v<R>) {
    (target->*handler)(Arg<A>(params->rgvarg[n - 1 - I])...);
    return TRUE;
  } else {
    return (target->*handler)(Arg<A>(params->rgvarg[n - 1 - I])...) ? TRUE : FALSE;
  }
}

// Calls the handler with the event's arguments; FALSE (not handled) when their number differs.
template <class T, class R, class... A>
BOOL CallHandler(T* target, R (T::*handler)(A...), DISPPARAMS* params) {
  if (!params || params->cArgs != sizeof...(A) || (sizeof...(A) > 0 && !params->rgvarg)) return FALSE;
  return Call(target, handler, params, std::index_sequence_for<A...>{});
}

BOOL Dispatch(CCmdTarget* target, const AFX_EVENTSINKMAP_ENTRY* map, UINT id, DISPID dispid, DISPPARAMS* params);

}  // namespace afxevent

#define DECLARE_EVENTSINK_MAP()                                                         \
 protected:                                                                             \
  static const AFX_EVENTSINKMAP_ENTRY* GetThisEventSinkMap();                           \
                                                                                        \
 public:                                                                                \
  BOOL OnControlEvent(UINT id, DISPID dispid, DISPPARAMS* params) override;             \
                                                                                        \
 private:

#define BEGIN_EVENTSINK_MAP(theClass, baseClass)                                        \
  BOOL theClass::OnControlEvent(UINT id, DISPID dispid, DISPPARAMS* params) {           \
    if (afxevent::Dispatch(this, GetThisEventSinkMap(), id, dispid, params)) return TRUE; \
    return baseClass::OnControlEvent(id, dispid, params);                               \
  }                                                                                     \
  const AFX_EVENTSINKMAP_ENTRY* theClass::GetThisEventSinkMap() {                       \
    static const AFX_EVENTSINKMAP_ENTRY entries[] = {
#define ON_EVENT(theClass, id, dispid, pfnHandler, vtsParams)                                     \
  {static_cast<UINT>(id), static_cast<DISPID>(dispid), [](CCmdTarget* t, DISPPARAMS* p) -> BOOL { \
     return afxevent::CallHandler(static_cast<theClass*>(t), &theClass::pfnHandler, p);           \
   }},
#define END_EVENTSINK_MAP() \
  {0, 0, nullptr}};         \
  return entries;           \
  }
