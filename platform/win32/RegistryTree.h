#pragma once
// The registry's content in memory and its text form on disk.
//
// The file is UTF-8 text: a first line "DORV REGISTRY 1", then for every key a
// line `key "<full path>"` followed by its values, one line each:
// `value "<name>" <type> s"<text>"` for strings (the stored wide characters,
// terminators included) or `value "<name>" <type> x<hex bytes>` for the rest.
// In quoted texts \\ \" \0 \t \n \r stand for themselves and \u{hex} for any other
// control or non-character.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "win32/WinDef.h"

namespace win32 {

// Key and value names compare without regard to case, as on Windows.
std::wstring FoldRegistryName(const std::wstring& name);

// The parts of a key path split at backslashes; empty parts are dropped.
std::vector<std::wstring> SplitRegistryPath(const std::wstring& path);

struct RegistryValue {
  std::wstring name;
  DWORD type = 0;
  std::vector<BYTE> data;
};

struct RegistryKey {
  std::wstring name;
  std::vector<RegistryValue> values;           // in the order they were first set
  std::map<std::wstring, RegistryKey> subkeys;  // by folded name: enumerated in name order

  RegistryKey* Find(const std::vector<std::wstring>& path);
  const RegistryKey* Find(const std::vector<std::wstring>& path) const;
  RegistryValue* FindValue(const std::wstring& valueName);
};

// The whole registry: the hives are the root's subkeys ("HKEY_CURRENT_USER", ...).
struct RegistryTree {
  RegistryKey root;

  std::string Serialize() const;
  // Null for a malformed text.
  static std::optional<RegistryTree> Parse(const std::string& text);
};

}  // namespace win32
