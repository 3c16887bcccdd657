#pragma once
// The extension's one shell object: an icon overlay for one sync state (kinds 0-2)
// or the context-menu handler with the "sync now" command (kind 3). Every kind
// answers every interface; the operations check the kind.
#include "ShellExtKind.h"

class CDorvShell : public IShellIconOverlayIdentifier, public IShellExtInit, public IContextMenu3 {
 public:
  explicit CDorvShell(int kind);
  virtual ~CDorvShell();

  // IUnknown
  HRESULT QueryInterface(REFIID iid, void** out) override;
  ULONG AddRef() override;
  ULONG Release() override;

  // IShellIconOverlayIdentifier
  HRESULT IsMemberOf(LPCWSTR path, DWORD attributes) override;
  HRESULT GetOverlayInfo(LPWSTR iconFile, int cchMax, int* index, DWORD* flags) override;
  HRESULT GetPriority(int* priority) override;

  // IShellExtInit
  HRESULT Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY progId) override;

  // IContextMenu3
  HRESULT QueryContextMenu(HMENU menu, UINT index, UINT idCmdFirst, UINT idCmdLast, UINT flags) override;
  HRESULT InvokeCommand(CMINVOKECOMMANDINFO* info) override;
  HRESULT GetCommandString(UINT_PTR idCmd, UINT type, UINT* reserved, CHAR* name, UINT cchMax) override;
  HRESULT HandleMenuMsg(UINT message, WPARAM wParam, LPARAM lParam) override;
  HRESULT HandleMenuMsg2(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

  // The status exchanges one IsMemberOf may try, and the time after which it starts
  // no further one.
  static constexpr int kMaxStatusAttempts = 3;
  static constexpr DWORD kStatusBudgetMs = 1000;
  static constexpr DWORD kRetryPauseMs = 100;
  // The icon resource of the menu entries.
  static constexpr WORD kMenuIconId = 204;

 private:
  bool BuildMenuBitmap();

  int m_kind;
  ULONG m_refs;
  HBITMAP m_menuBitmap;
};
