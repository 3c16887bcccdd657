#include "win32/Library.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <mutex>
#include <string>

#include "win32/NativePath.h"
#include "win32/WinError.h"

namespace {

// Every handle we gave out, with the loads FreeLibrary may still undo: a handle
// that is not here is refused rather than handed to dlsym or dlclose.
struct Modules {
  std::mutex lock;
  std::map<void*, int> loads;
};

Modules& Known() {
  static Modules* modules = new Modules;
  return *modules;
}

void* ProgramHandle() {
  static void* self = dlopen(nullptr, RTLD_NOW);
  return self;
}

bool FileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The folder of this layer's own library, where the build installs every
// module the program loads by name.
std::string LayerFolder() {
  static const std::string folder = [] {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<const void*>(&FileExists), &info) || !info.dli_fname) return std::string();
    const std::string path = info.dli_fname;
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
  }();
  return folder;
}

// Where a name leads: the exact path; for a bare name the program's folder, then
// the layer's folder, then the system's own search. The two folders are looked
// in here rather than left to dlopen's run path, which is the caller's: a
// program built with a sanitizer calls dlopen from the sanitizer's library.
std::string Locate(const std::string& name) {
  if (name.find('/') != std::string::npos) return name;
  for (const std::string& folder : {win32::ProgramFolder(), LayerFolder()}) {
    if (folder.empty()) continue;
    std::string local = folder + "/" + name;
    if (FileExists(local)) return local;
  }
  return name;
}

bool IsKnown(void* handle) {
  if (handle == ProgramHandle()) return true;
  auto& m = Known();
  std::lock_guard guard(m.lock);
  return m.loads.count(handle) != 0;
}

}  // namespace

HMODULE LoadLibraryW(LPCWSTR fileName) {
  if (!fileName || !*fileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::string path = Locate(NativePath(fileName));
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    bool exists = path.find('/') == std::string::npos ? false : FileExists(path);
    SetLastError(exists ? ERROR_BAD_EXE_FORMAT : ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  auto& m = Known();
  std::lock_guard guard(m.lock);
  ++m.loads[handle];
  return static_cast<HMODULE>(handle);
}

HMODULE LoadLibraryExW(LPCWSTR fileName, HANDLE, DWORD) { return LoadLibraryW(fileName); }

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
  void* handle = module ? static_cast<void*>(module) : ProgramHandle();
  if (!IsKnown(handle)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (!name || reinterpret_cast<UINT_PTR>(name) < 0x10000) {  // null or an ordinal
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  void* symbol = dlsym(handle, name);
  if (!symbol) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(symbol);
}

BOOL FreeLibrary(HMODULE module) {
  void* handle = module;
  {
    auto& m = Known();
    std::lock_guard guard(m.lock);
    auto it = m.loads.find(handle);
    if (it == m.loads.end() || it->second == 0) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    if (--it->second == 0) m.loads.erase(it);
  }
  dlclose(handle);
  return TRUE;
}

HMODULE GetModuleHandleW(LPCWSTR moduleName) {
  if (!moduleName) return static_cast<HMODULE>(ProgramHandle());
  std::string path = Locate(NativePath(moduleName));
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (!handle) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  dlclose(handle);  // NOLOAD counted a load: give it back; the library stays loaded
  auto& m = Known();
  std::lock_guard guard(m.lock);
  m.loads.try_emplace(handle, 0);
  return static_cast<HMODULE>(handle);
}

namespace win32 {

std::string ProgramFolder() {
  char self[4096];
  ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return ".";
  std::string path(self, static_cast<size_t>(n));
  return path.substr(0, path.rfind('/'));
}

HMODULE ModuleHandleFromAddress(const void* address) {
  Dl_info info{};
  if (!dladdr(address, &info) || !info.dli_fname) return nullptr;
  // Only the program itself has no file name to be found again by.
  void* handle = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
  if (!handle) return static_cast<HMODULE>(ProgramHandle());
  dlclose(handle);
  auto& m = Known();
  std::lock_guard guard(m.lock);
  m.loads.try_emplace(handle, 0);
  return static_cast<HMODULE>(handle);
}

}  // namespace win32
