#pragma once
// COM basics: GUIDs, the per-thread initialisation count and the task allocator.
#include "win32/HResult.h"
#include "win32/WinDef.h"

struct GUID {
  DWORD Data1;
  WORD Data2;
  WORD Data3;
  BYTE Data4[8];
  bool operator==(const GUID&) const = default;
};
static_assert(sizeof(GUID) == 16);
using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using LPOLESTR = wchar_t*;

constexpr HRESULT RPC_E_CHANGED_MODE = static_cast<HRESULT>(0x80010106);
constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0);
constexpr DWORD COINIT_MULTITHREADED = 0x0;
constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;

// S_OK for the thread's first call, S_FALSE for later ones; RPC_E_CHANGED_MODE when
// the thread was initialised in the other model (that call needs no uninitialise).
HRESULT CoInitializeEx(LPVOID reserved, DWORD model);
HRESULT CoInitialize(LPVOID reserved);
void CoUninitialize();

// A random (version 4) GUID from the system's random source.
HRESULT CoCreateGuid(GUID* guid);
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case; returns the characters
// written with the terminator (39), or 0 when the buffer is shorter.
int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int size);
inline BOOL IsEqualGUID(REFGUID a, REFGUID b) { return a == b; }

LPVOID CoTaskMemAlloc(SIZE_T bytes);
void CoTaskMemFree(LPVOID block);
