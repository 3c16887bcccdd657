#include <mutex>
#include <utility>
#include <vector>

#include "webbrowser/WebBrowserControl.h"
#include "win32/ExDisp.h"
#include "win32/OleControl.h"

namespace {

struct Registration {
  DWORD cookie;
  CLSID clsid;
  IUnknown* classObject;
};

std::mutex g_lock;
std::vector<Registration> g_classes;
DWORD g_nextCookie = 1;

}  // namespace

HRESULT CoRegisterClassObject(REFCLSID clsid, IUnknown* classObject, DWORD, DWORD, DWORD* cookie) {
  if (!classObject || !cookie) return E_INVALIDARG;
  classObject->AddRef();
  std::lock_guard guard(g_lock);
  *cookie = g_nextCookie++;
  g_classes.push_back({*cookie, clsid, classObject});
  return S_OK;
}

HRESULT CoRevokeClassObject(DWORD cookie) {
  IUnknown* gone = nullptr;
  {
    std::lock_guard guard(g_lock);
    for (auto it = g_classes.begin(); it != g_classes.end(); ++it) {
      if (it->cookie != cookie) continue;
      gone = it->classObject;
      g_classes.erase(it);
      break;
    }
  }
  if (!gone) return E_INVALIDARG;
  gone->Release();
  return S_OK;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  IUnknown* classObject = nullptr;
  {
    std::lock_guard guard(g_lock);
    for (const Registration& r : g_classes) {
      if (r.clsid == clsid) {
        classObject = r.classObject;
        classObject->AddRef();
        break;
      }
    }
  }
  if (classObject) {
    IClassFactory* factory = nullptr;
    HRESULT hr = classObject->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(&factory));
    classObject->Release();
    if (FAILED(hr)) return hr;
    hr = factory->CreateInstance(outer, iid, out);
    factory->Release();
    return hr;
  }
  if (clsid == CLSID_WebBrowser) {
    if (outer) return CLASS_E_NOAGGREGATION;
    return webbrowser::CreateWebBrowser(iid, out);
  }
  return REGDB_E_CLASSNOTREG;
}
