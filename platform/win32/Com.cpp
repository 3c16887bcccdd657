#include "win32/Com.h"

#include <sys/random.h>

#include <cerrno>
#include <cstdio>
#include <cwchar>
#include <cstdlib>

namespace {

struct ComThreadState {
  int count = 0;
  DWORD model = 0;
};
thread_local ComThreadState t_com;

bool FillRandom(void* buffer, size_t size) {
  auto* bytes = static_cast<unsigned char*>(buffer);
  size_t done = 0;
  while (done < size) {
    ssize_t got = ::getrandom(bytes + done, size - done, 0);
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(got);
  }
  return true;
}

}  // namespace

HRESULT CoInitializeEx(LPVOID, DWORD model) {
  model &= COINIT_APARTMENTTHREADED;
  if (t_com.count > 0 && t_com.model != model) return RPC_E_CHANGED_MODE;
  t_com.model = model;
  return t_com.count++ == 0 ? S_OK : S_FALSE;
}

HRESULT CoInitialize(LPVOID reserved) { return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED); }

void CoUninitialize() {
  if (t_com.count > 0) --t_com.count;
}

HRESULT CoCreateGuid(GUID* guid) {
  if (!guid) return E_INVALIDARG;
  GUID fresh;
  if (!FillRandom(&fresh, sizeof fresh)) return E_FAIL;
  fresh.Data3 = static_cast<WORD>((fresh.Data3 & 0x0FFF) | 0x4000);           // version 4
  fresh.Data4[0] = static_cast<BYTE>((fresh.Data4[0] & 0x3F) | 0x80);        // RFC 4122 variant
  *guid = fresh;
  return S_OK;
}

int StringFromGUID2(REFGUID g, LPOLESTR buffer, int size) {
  if (!buffer || size < 39) return 0;
  std::swprintf(buffer, 39, L"{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1, g.Data2, g.Data3,
                g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return 39;
}

LPVOID CoTaskMemAlloc(SIZE_T bytes) { return std::malloc(bytes ? bytes : 1); }

void CoTaskMemFree(LPVOID block) { std::free(block); }
