// The module's entry points: loading and unloading, the class objects, and the
// registration that the installer triggers.
#include <cwchar>
#include <new>
#include <string>

#include "ClassFactory.h"
#include "DorvShell.h"
#include "MenuIconResource.h"
#include "ModuleState.h"

constexpr DWORD DLL_PROCESS_DETACH = 0;
constexpr DWORD DLL_PROCESS_ATTACH = 1;

namespace {

void SetString(HKEY key, LPCWSTR name, const std::wstring& value) {
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

// Creates the key and sets its default value (or `valueName`); failures are not reported.
void WriteKey(HKEY root, const std::wstring& path, const std::wstring& value, LPCWSTR valueName = nullptr) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return;
  }
  SetString(key, valueName, value);
  RegCloseKey(key);
}

std::wstring ClsidText(int kind) {
  LPOLESTR text = nullptr;
  if (FAILED(StringFromCLSID(kShellExtKinds[kind].clsid, &text))) return {};
  std::wstring copy = text;
  CoTaskMemFree(text);
  return copy;
}

}  // namespace

extern "C" BOOL DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    DorvShellModule::SetHandle(module);
  } else if (reason == DLL_PROCESS_DETACH && DorvShellModule::LiveObjects() > 0) {
    DorvShellModule::DestroyLiveShells();
  }
  return TRUE;
}

// The system has no DllMain: the loader's constructor and destructor call it.
__attribute__((constructor)) static void AttachModule() {
  HINSTANCE module = win32::ModuleHandleFromAddress(reinterpret_cast<const void*>(&AttachModule));
  win32::AddIconResource(module, CDorvShell::kMenuIconId, kMenuIconResource, kMenuIconResourceSize);
  DllMain(module, DLL_PROCESS_ATTACH, nullptr);
}

__attribute__((destructor)) static void DetachModule() {
  DllMain(DorvShellModule::Handle(), DLL_PROCESS_DETACH, nullptr);
  win32::RemoveIconResources(DorvShellModule::Handle());
  DorvShellModule::DestroyRegistry();
}

extern "C" HRESULT DllCanUnloadNow() { return DorvShellModule::LiveObjects() != 0 ? S_FALSE : S_OK; }

extern "C" HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  int kind = 0;
  while (kind < kShellExtKindCount && !IsEqualGUID(clsid, kShellExtKinds[kind].clsid)) ++kind;
  if (kind == kShellExtKindCount) return CLASS_E_CLASSNOTAVAILABLE;
  CClassFactory* factory = new (std::nothrow) CClassFactory(kind);
  if (!factory) return E_OUTOFMEMORY;
  HRESULT hr = factory->QueryInterface(iid, out);
  if (FAILED(hr)) delete factory;
  return hr;
}

extern "C" HRESULT DllRegisterServer() {
  wchar_t module[MAX_PATH + 1] = {};
  DWORD length = GetModuleFileNameW(DorvShellModule::Handle(), module, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return S_OK;  // nothing sound to register
  std::wstring modulePath = module;
  std::wstring folder = modulePath.substr(0, modulePath.rfind(kPathSeparator));
  for (int kind = 0; kind < kShellExtKindCount; ++kind) {
    const ShellExtKindInfo& info = kShellExtKinds[kind];
    std::wstring clsid = ClsidText(kind);
    if (clsid.empty()) continue;
    WriteKey(HKEY_CLASSES_ROOT, L"CLSID\\" + clsid, kShellExtName);
    WriteKey(HKEY_CLASSES_ROOT, L"CLSID\\" + clsid + L"\\InprocServer32", modulePath);
    WriteKey(HKEY_CLASSES_ROOT, L"CLSID\\" + clsid + L"\\InprocServer32", L"Apartment", L"ThreadingModel");
    if (kind == kShellExtMenu) {
      for (const wchar_t* handler : kMenuHandlerKeys) WriteKey(HKEY_CLASSES_ROOT, handler, clsid);
    } else {
      WriteKey(HKEY_LOCAL_MACHINE, std::wstring(kOverlayIdentifiersKey) + L"\\" + info.overlayKeyName, clsid);
      WriteKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\DorvShell", folder + info.iconFile, info.iconValueName);
    }
  }
  return S_OK;
}

extern "C" HRESULT DllUnregisterServer() {
  for (int kind = 0; kind < kShellExtKindCount; ++kind) {
    std::wstring clsid = ClsidText(kind);
    if (clsid.empty()) continue;
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + clsid).c_str());
    if (kind == kShellExtMenu) {
      for (const wchar_t* handler : kMenuHandlerKeys) RegDeleteTreeW(HKEY_CLASSES_ROOT, handler);
    } else {
      std::wstring overlay = std::wstring(kOverlayIdentifiersKey) + L"\\" + kShellExtKinds[kind].overlayKeyName;
      RegDeleteTreeW(HKEY_LOCAL_MACHINE, overlay.c_str());
      RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\DorvShell");
    }
  }
  return S_OK;
}
