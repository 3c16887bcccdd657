#pragma once
// What a web page host sees of the HTML engine: the host's UI handler that the
// browser asks for its look and its window.external object, the document's script
// object, and the command ids of ExecWB.
#include "win32/OleAuto.h"
#include "win32/WinUser.h"

struct IDropTarget;
struct IDataObject;
struct IOleInPlaceActiveObject;
struct IOleCommandTarget;
struct IOleInPlaceFrame;
struct IOleInPlaceUIWindow;


struct DOCHOSTUIINFO {
  ULONG cbSize;
  DWORD dwFlags;
  DWORD dwDoubleClick;
  OLECHAR* pchHostCss;
  OLECHAR* pchHostNS;
};

constexpr DWORD DOCHOSTUIFLAG_DIALOG = 0x1;
constexpr DWORD DOCHOSTUIFLAG_DISABLE_HELP_MENU = 0x2;
constexpr DWORD DOCHOSTUIFLAG_NO3DBORDER = 0x4;
constexpr DWORD DOCHOSTUIFLAG_SCROLL_NO = 0x8;
constexpr DWORD DOCHOSTUIFLAG_OPENNEWWIN = 0x20;
constexpr DWORD DOCHOSTUIFLAG_FLAT_SCROLLBAR = 0x80;
constexpr DWORD DOCHOSTUIFLAG_THEME = 0x40000;

inline constexpr IID IID_IDocHostUIHandler{0xBD3F23C0, 0xD43E, 0x11CF, {0x89, 0x3B, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x1A}};

struct IDocHostUIHandler : IUnknown {
  virtual HRESULT ShowContextMenu(DWORD id, POINT* point, IUnknown* commandTarget, IDispatch* object) = 0;
  virtual HRESULT GetHostInfo(DOCHOSTUIINFO* info) = 0;
  virtual HRESULT ShowUI(DWORD id, IOleInPlaceActiveObject* active, IOleCommandTarget* target,
                         IOleInPlaceFrame* frame, IOleInPlaceUIWindow* document) = 0;
  virtual HRESULT HideUI() = 0;
  virtual HRESULT UpdateUI() = 0;
  virtual HRESULT EnableModeless(BOOL enable) = 0;
  virtual HRESULT OnDocWindowActivate(BOOL activate) = 0;
  virtual HRESULT OnFrameWindowActivate(BOOL activate) = 0;
  virtual HRESULT ResizeBorder(const RECT* border, IOleInPlaceUIWindow* window, BOOL frame) = 0;
  virtual HRESULT TranslateAccelerator(MSG* msg, const GUID* group, DWORD command) = 0;
  virtual HRESULT GetOptionKeyPath(LPOLESTR* key, DWORD reserved) = 0;
  virtual HRESULT GetDropTarget(IDropTarget* target, IDropTarget** replacement) = 0;
  virtual HRESULT GetExternal(IDispatch** external) = 0;
  virtual HRESULT TranslateUrl(DWORD translate, LPWSTR url, LPWSTR* out) = 0;
  virtual HRESULT FilterDataObject(IDataObject* object, IDataObject** replacement) = 0;

 protected:
  ~IDocHostUIHandler() = default;
};

inline constexpr IID IID_IHTMLDocument2{0x332C4425, 0x26CB, 0x11D0, {0xB4, 0x83, 0x00, 0xC0, 0x4F, 0xD9, 0x01, 0x19}};

// The document: only its script object (the page's global functions) is offered.
struct IHTMLDocument2 : IDispatch {
  virtual HRESULT get_Script(IDispatch** script) = 0;

 protected:
  ~IHTMLDocument2() = default;
};

// ExecWB.
enum OLECMDID {
  OLECMDID_REFRESH = 22,
  OLECMDID_CUT = 11,
  OLECMDID_COPY = 12,
  OLECMDID_PASTE = 13,
  OLECMDID_UNDO = 15,
  OLECMDID_REDO = 16,
  OLECMDID_SELECTALL = 17,
  OLECMDID_CLEARSELECTION = 18,
  OLECMDID_STOP = 23,
  OLECMDID_DELETE = 33,
};
enum OLECMDEXECOPT {
  OLECMDEXECOPT_DODEFAULT = 0,
  OLECMDEXECOPT_PROMPTUSER = 1,
  OLECMDEXECOPT_DONTPROMPTUSER = 2,
  OLECMDEXECOPT_SHOWHELP = 3,
};
enum OLECMDF {
  OLECMDF_SUPPORTED = 1,
  OLECMDF_ENABLED = 2,
};
