#pragma once
// A dialog resource held in the program's code: the dialog's style, title and
// size, and its controls in template order (also their tab and z order), all
// in dialog units. A program registers its resources under their ids once:
//
//   const DialogItemTemplate kItems[] = {{IDOK, WC_BUTTONW, WS_VISIBLE | BS_DEFPUSHBUTTON, L"OK", 10, 10, 50, 14}};
//   const DialogTemplate kDialog{WS_POPUP | WS_CAPTION, L"Title", 200, 100, kItems, 1};
//   static AfxDialogResource registration(103, kDialog);
#include <cstddef>

#include "win32/Windows.h"

struct DialogItemTemplate {
  int id;
  LPCWSTR className;
  DWORD style;  // WS_CHILD is added
  LPCWSTR text;
  short x, y, cx, cy;
};

struct DialogTemplate {
  DWORD style;
  LPCWSTR title;
  short cx, cy;
  const DialogItemTemplate* items;
  size_t count;
};

// Registers a resource for the life of the object.
class AfxDialogResource {
 public:
  AfxDialogResource(UINT id, const DialogTemplate& dialog);
  ~AfxDialogResource();
  AfxDialogResource(const AfxDialogResource&) = delete;
  AfxDialogResource& operator=(const AfxDialogResource&) = delete;

 private:
  UINT m_id;
};

// The resource registered under the id, or null.
const DialogTemplate* AfxFindDialogTemplate(UINT id);

// Dialog units to pixels, with the base units of the dialogs' 8-point font.
void AfxMapDialogRect(RECT& rect);
