// Starting with the system: the registry's Run value "Dorv" holding the quoted
// program path, and beside it the desktop's autostart entry, which is what
// starts the program with a Linux session.
#include "client/windows/settings/AutoStartEntry.h"
#include "client/windows/settings/SetForm.h"
#include "win32/Registry.h"
#include "win32/WinError.h"

namespace {

constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const wchar_t* kRunValue = L"Dorv";

// The Run value's text; empty when it is missing or no text.
CString ReadRunValue() {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return CString();
  CString text;
  DWORD type = 0, size = 0;
  if (::RegQueryValueExW(key, kRunValue, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ) {
    std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(key, kRunValue, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) ==
        ERROR_SUCCESS)
      text = buffer.c_str();
  }
  ::RegCloseKey(key);
  return text;
}

}  // namespace

int CSetForm::IsAutoRun() {
  return ReadRunValue().CompareNoCase(m_strAutoRunCmd) == 0 && AutoStartEntry::Matches(m_strProgram) ? 1 : 0;
}

int CSetForm::SetAutoRun() {
  if (IsAutoRun()) return 1;
  HKEY key = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
    return 0;
  const DWORD size = static_cast<DWORD>((m_strAutoRunCmd.GetLength() + 1) * sizeof(wchar_t));
  const bool stored = ::RegSetValueExW(key, kRunValue, 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(m_strAutoRunCmd.GetString()), size) ==
                      ERROR_SUCCESS;
  ::RegCloseKey(key);
  return stored && AutoStartEntry::Write(m_strProgram) ? 1 : 0;
}

int CSetForm::RemoveAutoRun() {
  bool removed = true;
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
    const LSTATUS status = ::RegDeleteValueW(key, kRunValue);
    removed = status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    ::RegCloseKey(key);
  }
  return AutoStartEntry::Remove() && removed ? 1 : 0;
}
