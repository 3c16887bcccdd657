#pragma once
// Creating COM objects by class id, and hosting a windowed control in a window.
//
// Classes are found in the process's class table: those registered with
// CoRegisterClassObject, then the system's own controls (the web browser).
//
// IOleInPlaceControl is the layer's one step for placing a control: the container
// gives the control its site (which the control may ask for host interfaces such as
// IDocHostUIHandler) and has it make its window as a child of the container's.
#include "win32/OleAuto.h"

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_ALL = 0x17;
constexpr DWORD REGCLS_MULTIPLEUSE = 1;
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154);

HRESULT CoRegisterClassObject(REFCLSID clsid, IUnknown* classObject, DWORD context, DWORD flags, DWORD* cookie);
HRESULT CoRevokeClassObject(DWORD cookie);
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** out);

inline constexpr IID IID_IOleInPlaceControl{0x6D0A6F31, 0x0E8B, 0x4C54, {0x9B, 0x2E, 0x41, 0x57, 0x65, 0x62, 0x48, 0x01}};

struct IOleInPlaceControl : IUnknown {
  // The container's site for this control (null: the control lets its site go).
  virtual HRESULT SetSite(IUnknown* site) = 0;
  // Makes the control's window, a child of `parent` with the given id and style.
  virtual HRESULT Activate(HWND parent, const RECT& rect, UINT id, DWORD style, HWND* window) = 0;
  // Ends the control: its window and everything it runs go.
  virtual HRESULT Close() = 0;

 protected:
  ~IOleInPlaceControl() = default;
};
