#include "win32/ProfileStrings.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cwctype>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "win32/CodePage.h"
#include "win32/NativePath.h"
#include "win32/WinError.h"

namespace {

std::mutex g_profileLock;

std::wstring Trim(const std::wstring& text) {
  std::wstring::size_type begin = 0, end = text.size();
  while (begin < end && std::iswspace(text[begin])) ++begin;
  while (end > begin && std::iswspace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

bool SameName(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::towlower(a[i]) != std::towlower(b[i])) return false;
  return true;
}

// The file's lines without their line ends; false when it can't be read.
bool ReadLines(const std::string& native, std::vector<std::wstring>& lines) {
  std::ifstream in(native, std::ios::binary);
  if (!in) return false;
  std::stringstream bytes;
  bytes << in.rdbuf();
  std::string text = bytes.str();
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  std::wstring wide = Utf8ToWide(text);
  std::wstring::size_type start = 0;
  while (start < wide.size()) {
    std::wstring::size_type end = wide.find(L'\n', start);
    if (end == std::wstring::npos) end = wide.size();
    std::wstring line = wide.substr(start, end - start);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return true;
}

// "[name]" gives name; other lines give false.
bool SectionName(const std::wstring& line, std::wstring& name) {
  std::wstring trimmed = Trim(line);
  if (trimmed.size() < 2 || trimmed.front() != L'[') return false;
  std::wstring::size_type close = trimmed.find(L']');
  if (close == std::wstring::npos) return false;
  name = Trim(trimmed.substr(1, close - 1));
  return true;
}

// "key=value" gives both, trimmed; other lines give false.
bool KeyLine(const std::wstring& line, std::wstring& key, std::wstring& value) {
  std::wstring::size_type equals = line.find(L'=');
  if (equals == std::wstring::npos) return false;
  std::wstring trimmed = Trim(line);
  if (trimmed.empty() || trimmed[0] == L';') return false;
  key = Trim(line.substr(0, equals));
  value = Trim(line.substr(equals + 1));
  return true;
}

// Index of the section's "[...]" line, or -1.
int FindSection(const std::vector<std::wstring>& lines, const std::wstring& section) {
  std::wstring name;
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (SectionName(lines[i], name) && SameName(name, section)) return static_cast<int>(i);
  return -1;
}

// One past the section's last line.
std::size_t SectionEnd(const std::vector<std::wstring>& lines, int header) {
  std::wstring name;
  std::size_t i = static_cast<std::size_t>(header) + 1;
  while (i < lines.size() && !SectionName(lines[i], name)) ++i;
  return i;
}

bool WriteLines(const std::string& native, const std::vector<std::wstring>& lines) {
  std::wstring text;
  for (const std::wstring& line : lines) text += line + L"\r\n";
  std::string bytes = WideToUtf8(text);
  std::string temporary = native + ".tmp-" + std::to_string(getpid());
  // A fresh file of the user's alone: never one left or planted under that name.
  unlink(temporary.c_str());
  int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) {
    SetLastErrorForPath(errno, native);
    return false;
  }
  bool written = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  int err = errno;
  if (close(fd) != 0 && written) {
    written = false;
    err = errno;
  }
  if (!written || rename(temporary.c_str(), native.c_str()) != 0) {
    if (written) err = errno;
    unlink(temporary.c_str());
    SetLastErrorForPath(err, native);
    return false;
  }
  return true;
}

// Copies a list of names, each null-ended, then a final null.
DWORD CopyList(const std::vector<std::wstring>& names, LPWSTR buffer, DWORD size) {
  if (!buffer || size == 0) return 0;
  if (size == 1) {
    buffer[0] = L'\0';
    return 0;
  }
  DWORD used = 0;
  for (const std::wstring& name : names) {
    if (used + name.size() + 1 > size - 1) {
      // Cut: keep what fits, end with two nulls.
      DWORD room = size - 2 - used;
      name.copy(buffer + used, room);
      buffer[size - 2] = L'\0';
      buffer[size - 1] = L'\0';
      return size - 2;
    }
    name.copy(buffer + used, name.size());
    used += static_cast<DWORD>(name.size());
    buffer[used++] = L'\0';
  }
  buffer[used] = L'\0';
  return used;
}

DWORD CopyValue(const std::wstring& value, LPWSTR buffer, DWORD size) {
  if (!buffer || size == 0) return 0;
  std::wstring::size_type count = value.size() < size ? value.size() : size - 1;
  value.copy(buffer, count);
  buffer[count] = L'\0';
  return static_cast<DWORD>(count);
}

}  // namespace

BOOL WritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR fileName) {
  if (!section || !fileName || !*fileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::string native = NativePath(fileName);
  std::lock_guard<std::mutex> hold(g_profileLock);
  std::vector<std::wstring> lines;
  ReadLines(native, lines);
  int header = FindSection(lines, section);
  if (!key) {  // remove the section
    if (header < 0) return TRUE;
    lines.erase(lines.begin() + header, lines.begin() + static_cast<long>(SectionEnd(lines, header)));
    return WriteLines(native, lines) ? TRUE : FALSE;
  }
  if (header < 0) {
    if (!value) return TRUE;
    lines.push_back(L"[" + std::wstring(section) + L"]");
    lines.push_back(std::wstring(key) + L"=" + value);
    return WriteLines(native, lines) ? TRUE : FALSE;
  }
  std::size_t end = SectionEnd(lines, header);
  std::size_t last = static_cast<std::size_t>(header);  // last non-blank line of the section
  std::wstring name, old;
  for (std::size_t i = static_cast<std::size_t>(header) + 1; i < end; ++i) {
    if (!Trim(lines[i]).empty()) last = i;
    if (KeyLine(lines[i], name, old) && SameName(name, key)) {
      if (value) {
        lines[i] = std::wstring(key) + L"=" + value;
      } else {
        lines.erase(lines.begin() + static_cast<long>(i));
      }
      return WriteLines(native, lines) ? TRUE : FALSE;
    }
  }
  if (!value) return TRUE;
  lines.insert(lines.begin() + static_cast<long>(last) + 1, std::wstring(key) + L"=" + value);
  return WriteLines(native, lines) ? TRUE : FALSE;
}

DWORD GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer, DWORD size,
                               LPCWSTR fileName) {
  std::vector<std::wstring> lines;
  if (fileName && *fileName) {
    std::lock_guard<std::mutex> hold(g_profileLock);
    ReadLines(NativePath(fileName), lines);
  }
  std::wstring name, value;
  if (!section) {
    std::vector<std::wstring> sections;
    for (const std::wstring& line : lines)
      if (SectionName(line, name)) sections.push_back(name);
    return CopyList(sections, buffer, size);
  }
  int header = FindSection(lines, section);
  std::size_t end = header < 0 ? 0 : SectionEnd(lines, header);
  if (!key) {
    std::vector<std::wstring> keys;
    for (std::size_t i = static_cast<std::size_t>(header) + 1; header >= 0 && i < end; ++i)
      if (KeyLine(lines[i], name, value)) keys.push_back(name);
    return CopyList(keys, buffer, size);
  }
  for (std::size_t i = static_cast<std::size_t>(header) + 1; header >= 0 && i < end; ++i) {
    if (KeyLine(lines[i], name, value) && SameName(name, key)) {
      if (value.size() >= 2 && ((value.front() == L'"' && value.back() == L'"') ||
                                (value.front() == L'\'' && value.back() == L'\'')))
        value = value.substr(1, value.size() - 2);
      return CopyValue(value, buffer, size);
    }
  }
  std::wstring fallback = defaultValue ? defaultValue : L"";
  while (!fallback.empty() && fallback.back() == L' ') fallback.pop_back();
  return CopyValue(fallback, buffer, size);
}
