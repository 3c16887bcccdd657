#include "win32/Registry.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "win32/Handle.h"
#include "win32/RegistryStore.h"
#include "win32/WinError.h"

namespace {

using win32::RegistryKey;
using win32::RegistryTree;
using win32::RegistryValue;

// An open key: the full path from the root (hive first) and the access granted.
class KeyObject final : public win32::KernelObject {
 public:
  KeyObject(std::vector<std::wstring> path, REGSAM access) : m_path(std::move(path)), m_access(access) {}
  std::vector<std::wstring> m_path;
  REGSAM m_access;
};

struct Resolved {
  std::vector<std::wstring> path;
  REGSAM access = 0;
};

const wchar_t* HiveName(HKEY key) {
  if (key == HKEY_CLASSES_ROOT) return L"HKEY_CLASSES_ROOT";
  if (key == HKEY_CURRENT_USER) return L"HKEY_CURRENT_USER";
  if (key == HKEY_LOCAL_MACHINE) return L"HKEY_LOCAL_MACHINE";
  return nullptr;
}

// The path and access of an HKEY; false for a handle that names no key.
bool Resolve(HKEY key, Resolved& out) {
  if (const wchar_t* hive = HiveName(key)) {
    out.path = {hive};
    out.access = KEY_ALL_ACCESS;
    return true;
  }
  DWORD saved = GetLastError();
  auto object = win32::LookupHandleAs<KeyObject>(key);
  SetLastError(saved);
  if (!object) return false;
  out.path = object->m_path;
  out.access = object->m_access;
  return true;
}

// Appends the parts of a subkey path; empty parts (a trailing backslash) are
// skipped, a leading backslash is refused as on Windows.
bool AppendSubKey(LPCWSTR subKey, std::vector<std::wstring>& path) {
  if (!subKey || !*subKey) return true;
  if (*subKey == L'\\') return false;
  for (auto& part : win32::SplitRegistryPath(subKey)) path.push_back(std::move(part));
  return true;
}

HKEY OpenHandle(std::vector<std::wstring> path, REGSAM access) {
  return static_cast<HKEY>(win32::RegisterHandle(std::make_shared<KeyObject>(std::move(path), access)));
}

std::wstring ValueName(LPCWSTR name) { return name ? std::wstring(name) : std::wstring(); }

// Looks up the key of an open handle for reading; ERROR_KEY_DELETED when gone.
LONG WithKey(HKEY key, REGSAM need, const std::function<LONG(const RegistryKey&)>& use) {
  Resolved r;
  if (!Resolve(key, r)) return ERROR_INVALID_HANDLE;
  if ((r.access & need) != need) return ERROR_ACCESS_DENIED;
  return win32::RegistryStore::Instance().Read([&](const RegistryTree& tree) -> LONG {
    const RegistryKey* found = tree.root.Find(r.path);
    if (!found) return r.path.size() == 1 ? use(RegistryKey()) : static_cast<LONG>(ERROR_KEY_DELETED);
    return use(*found);
  });
}

RegistryKey& HiveOf(RegistryTree& tree, const std::wstring& hive) {
  RegistryKey& key = tree.root.subkeys[win32::FoldRegistryName(hive)];
  if (key.name.empty()) key.name = hive;
  return key;
}

// The key of an open handle for changing; hives are made on first use.
RegistryKey* KeyForChange(RegistryTree& tree, const std::vector<std::wstring>& path) {
  HiveOf(tree, path[0]);
  return tree.root.Find(path);
}

LONG CopyOut(const void* source, DWORD size, LPBYTE data, LPDWORD dataSize) {
  if (!dataSize) return data ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
  if (!data) {
    *dataSize = size;
    return ERROR_SUCCESS;
  }
  if (*dataSize < size) {
    *dataSize = size;
    return ERROR_MORE_DATA;
  }
  if (size) std::memcpy(data, source, size);
  *dataSize = size;
  return ERROR_SUCCESS;
}

LONG CopyName(const std::wstring& name, LPWSTR buffer, LPDWORD length) {
  if (!buffer || !length) return ERROR_INVALID_PARAMETER;
  if (*length <= name.size()) return ERROR_MORE_DATA;
  std::memcpy(buffer, name.c_str(), (name.size() + 1) * sizeof(wchar_t));
  *length = static_cast<DWORD>(name.size());
  return ERROR_SUCCESS;
}

}  // namespace

LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD, REGSAM access, PHKEY result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  Resolved r;
  if (!Resolve(key, r)) return ERROR_INVALID_HANDLE;
  if (!AppendSubKey(subKey, r.path)) return ERROR_BAD_PATHNAME;
  LONG status = win32::RegistryStore::Instance().Read([&](const RegistryTree& tree) -> LONG {
    return r.path.size() == 1 || tree.root.Find(r.path) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  });
  if (status != ERROR_SUCCESS) return status;
  *result = OpenHandle(r.path, access & ~(KEY_WOW64_32KEY | KEY_WOW64_64KEY));
  return ERROR_SUCCESS;
}

LSTATUS RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD, LPWSTR, DWORD, REGSAM access, LPSECURITY_ATTRIBUTES,
                        PHKEY result, LPDWORD disposition) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  Resolved r;
  if (!Resolve(key, r)) return ERROR_INVALID_HANDLE;
  const size_t base = r.path.size();
  if (!AppendSubKey(subKey, r.path)) return ERROR_BAD_PATHNAME;
  bool created = false;
  LONG status = win32::RegistryStore::Instance().Write([&](RegistryTree& tree, bool& changed) -> LONG {
    RegistryKey* parent = KeyForChange(tree, {r.path.begin(), r.path.begin() + static_cast<long>(base)});
    if (!parent) return ERROR_KEY_DELETED;
    RegistryKey* at = parent;
    for (size_t i = base; i < r.path.size(); ++i) {
      auto it = at->subkeys.find(win32::FoldRegistryName(r.path[i]));
      if (it == at->subkeys.end()) {
        if (!(r.access & KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
        RegistryKey fresh;
        fresh.name = r.path[i];
        it = at->subkeys.emplace(win32::FoldRegistryName(r.path[i]), std::move(fresh)).first;
        created = changed = true;
      }
      at = &it->second;
    }
    return ERROR_SUCCESS;
  });
  if (status != ERROR_SUCCESS) return status;
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  *result = OpenHandle(r.path, access & ~(KEY_WOW64_32KEY | KEY_WOW64_64KEY));
  return ERROR_SUCCESS;
}

LSTATUS RegCloseKey(HKEY key) {
  if (HiveName(key)) return ERROR_SUCCESS;
  if (!win32::LookupHandleAs<KeyObject>(key)) return ERROR_INVALID_HANDLE;
  DWORD saved = GetLastError();
  CloseHandle(key);
  SetLastError(saved);
  return ERROR_SUCCESS;
}

LSTATUS RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD, DWORD type, const BYTE* data, DWORD size) {
  Resolved r;
  if (!Resolve(key, r)) return ERROR_INVALID_HANDLE;
  if (!(r.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  if (!data && size) return ERROR_NOACCESS;
  return win32::RegistryStore::Instance().Write([&](RegistryTree& tree, bool& changed) -> LONG {
    RegistryKey* at = KeyForChange(tree, r.path);
    if (!at) return ERROR_KEY_DELETED;
    RegistryValue* value = at->FindValue(ValueName(valueName));
    if (!value) {
      at->values.push_back({ValueName(valueName), 0, {}});
      value = &at->values.back();
    }
    value->type = type;
    value->data.assign(data, data + size);
    changed = true;
    return ERROR_SUCCESS;
  });
}

LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size) {
  return WithKey(key, KEY_QUERY_VALUE, [&](const RegistryKey& at) -> LONG {
    const RegistryValue* value = const_cast<RegistryKey&>(at).FindValue(ValueName(valueName));
    if (!value) return ERROR_FILE_NOT_FOUND;
    if (type) *type = value->type;
    return CopyOut(value->data.data(), static_cast<DWORD>(value->data.size()), data, size);
  });
}

LSTATUS RegDeleteValueW(HKEY key, LPCWSTR valueName) {
  Resolved r;
  if (!Resolve(key, r)) return ERROR_INVALID_HANDLE;
  if (!(r.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  return win32::RegistryStore::Instance().Write([&](RegistryTree& tree, bool& changed) -> LONG {
    RegistryKey* at = KeyForChange(tree, r.path);
    if (!at) return ERROR_KEY_DELETED;
    RegistryValue* value = at->FindValue(ValueName(valueName));
    if (!value) return ERROR_FILE_NOT_FOUND;
    at->values.erase(at->values.begin() + (value - at->values.data()));
    changed = true;
    return ERROR_SUCCESS;
  });
}

namespace {

LONG DeleteKey(HKEY key, LPCWSTR subKey, bool tree) {
  Resolved r;
  if (!Resolve(key, r)) return ERROR_INVALID_HANDLE;
  if (!tree && (!subKey || !*subKey)) return ERROR_ACCESS_DENIED;  // a key cannot delete itself this way
  if (!AppendSubKey(subKey, r.path)) return ERROR_BAD_PATHNAME;
  return win32::RegistryStore::Instance().Write([&](RegistryTree& t, bool& changed) -> LONG {
    RegistryKey* at = KeyForChange(t, r.path);
    if (!at) return ERROR_FILE_NOT_FOUND;
    if (r.path.size() == 1 || (tree && (!subKey || !*subKey))) {
      // A hive, or the key itself for RegDeleteTreeW(key, null): empty it.
      if (!tree) return ERROR_ACCESS_DENIED;
      changed = !at->subkeys.empty() || !at->values.empty();
      at->subkeys.clear();
      at->values.clear();
      return ERROR_SUCCESS;
    }
    if (!tree && !at->subkeys.empty()) return ERROR_ACCESS_DENIED;
    RegistryKey* parent = t.root.Find({r.path.begin(), r.path.end() - 1});
    parent->subkeys.erase(win32::FoldRegistryName(r.path.back()));
    changed = true;
    return ERROR_SUCCESS;
  });
}

}  // namespace

LSTATUS RegDeleteKeyW(HKEY key, LPCWSTR subKey) { return DeleteKey(key, subKey, false); }

LSTATUS RegDeleteTreeW(HKEY key, LPCWSTR subKey) { return DeleteKey(key, subKey, true); }

LSTATUS RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameLength, LPDWORD, LPWSTR keyClass,
                      LPDWORD classLength, FILETIME* lastWriteTime) {
  return WithKey(key, KEY_ENUMERATE_SUB_KEYS, [&](const RegistryKey& at) -> LONG {
    if (index >= at.subkeys.size()) return ERROR_NO_MORE_ITEMS;
    auto it = at.subkeys.begin();
    std::advance(it, index);
    LONG status = CopyName(it->second.name, name, nameLength);
    if (status != ERROR_SUCCESS) return status;
    if (keyClass && classLength && *classLength) keyClass[0] = L'\0';
    if (classLength) *classLength = 0;
    if (lastWriteTime) *lastWriteTime = FILETIME{0, 0};
    return ERROR_SUCCESS;
  });
}

LSTATUS RegEnumValueW(HKEY key, DWORD index, LPWSTR valueName, LPDWORD valueNameLength, LPDWORD, LPDWORD type,
                      LPBYTE data, LPDWORD dataSize) {
  return WithKey(key, KEY_QUERY_VALUE, [&](const RegistryKey& at) -> LONG {
    if (index >= at.values.size()) return ERROR_NO_MORE_ITEMS;
    const RegistryValue& value = at.values[index];
    LONG status = CopyName(value.name, valueName, valueNameLength);
    if (status != ERROR_SUCCESS) return status;
    if (type) *type = value.type;
    return CopyOut(value.data.data(), static_cast<DWORD>(value.data.size()), data, dataSize);
  });
}

LSTATUS RegQueryInfoKeyW(HKEY key, LPWSTR keyClass, LPDWORD classLength, LPDWORD, LPDWORD subKeys,
                         LPDWORD maxSubKeyLength, LPDWORD maxClassLength, LPDWORD values,
                         LPDWORD maxValueNameLength, LPDWORD maxValueLength, LPDWORD securityDescriptor,
                         FILETIME* lastWriteTime) {
  return WithKey(key, KEY_QUERY_VALUE, [&](const RegistryKey& at) -> LONG {
    DWORD maxSub = 0, maxName = 0, maxData = 0;
    for (const auto& [folded, sub] : at.subkeys) maxSub = std::max(maxSub, static_cast<DWORD>(sub.name.size()));
    for (const auto& value : at.values) {
      maxName = std::max(maxName, static_cast<DWORD>(value.name.size()));
      maxData = std::max(maxData, static_cast<DWORD>(value.data.size()));
    }
    if (keyClass && classLength && *classLength) keyClass[0] = L'\0';
    if (classLength) *classLength = 0;
    if (subKeys) *subKeys = static_cast<DWORD>(at.subkeys.size());
    if (maxSubKeyLength) *maxSubKeyLength = maxSub;
    if (maxClassLength) *maxClassLength = 0;
    if (values) *values = static_cast<DWORD>(at.values.size());
    if (maxValueNameLength) *maxValueNameLength = maxName;
    if (maxValueLength) *maxValueLength = maxData;
    if (securityDescriptor) *securityDescriptor = 0;
    if (lastWriteTime) *lastWriteTime = FILETIME{0, 0};
    return ERROR_SUCCESS;
  });
}

LSTATUS RegFlushKey(HKEY key) {
  Resolved r;
  return Resolve(key, r) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
