#include "win32/CommandLine.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

#include "win32/Module.h"
#include "win32/NativePath.h"
#include "win32/WinError.h"

namespace win32 {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::vector<std::string> OwnArguments() {
  std::vector<std::string> args;
  int fd = ::open("/proc/self/cmdline", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return args;
  std::string bytes;
  char buffer[4096];
  ssize_t n;
  while ((n = ::read(fd, buffer, sizeof buffer)) > 0) bytes.append(buffer, static_cast<size_t>(n));
  ::close(fd);
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\0', start);
    if (end == std::string::npos) end = bytes.size();
    args.push_back(bytes.substr(start, end - start));
    start = end + 1;
  }
  return args;
}

std::wstring BuildCommandLine() {
  std::vector<std::wstring> args;
  for (const std::string& arg : OwnArguments()) args.push_back(WidePath(arg.c_str()));
  // A parent of ours passed the exact text: use it when it still matches what we
  // were started with (a grandchild started otherwise inherits a stale one).
  if (const char* given = std::getenv(kCommandLineVariable)) {
    std::wstring text = WidePath(given);
    if (!args.empty() && SplitCommandLine(text) == args) return text;
  }
  return JoinCommandLine(args);
}

}  // namespace

std::vector<std::wstring> SplitCommandLine(const std::wstring& line) {
  std::vector<std::wstring> args;
  size_t i = 0;
  const size_t n = line.size();
  // The program name: up to the closing quote, or the first blank; no escapes.
  std::wstring first;
  if (i < n && line[i] == L'"') {
    ++i;
    while (i < n && line[i] != L'"') first += line[i++];
    if (i < n) ++i;
  } else {
    while (i < n && !IsBlank(line[i])) first += line[i++];
  }
  args.push_back(first);
  for (;;) {
    while (i < n && IsBlank(line[i])) ++i;
    if (i >= n) break;
    std::wstring arg;
    bool quoted = false;
    while (i < n && (quoted || !IsBlank(line[i]))) {
      if (line[i] == L'\\') {
        size_t slashes = 0;
        while (i < n && line[i] == L'\\') {
          ++slashes;
          ++i;
        }
        if (i < n && line[i] == L'"') {
          arg.append(slashes / 2, L'\\');
          if (slashes % 2) {
            arg += L'"';
            ++i;
          }
        } else {
          arg.append(slashes, L'\\');
        }
      } else if (line[i] == L'"') {
        if (quoted && i + 1 < n && line[i + 1] == L'"') {  // "" inside quotes: one quote
          arg += L'"';
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        arg += line[i++];
      }
    }
    args.push_back(arg);
  }
  return args;
}

std::wstring ArgumentsOf(const std::wstring& line) {
  size_t i = 0;
  if (!line.empty() && line[0] == L'"') {
    size_t close = line.find(L'"', 1);
    i = close == std::wstring::npos ? line.size() : close + 1;
  } else {
    while (i < line.size() && !IsBlank(line[i])) ++i;
  }
  while (i < line.size() && IsBlank(line[i])) ++i;
  return line.substr(i);
}

std::wstring QuoteArgument(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  size_t slashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++slashes;
      continue;
    }
    if (c == L'"') {
      out.append(slashes * 2 + 1, L'\\');
    } else {
      out.append(slashes, L'\\');
    }
    slashes = 0;
    out += c;
  }
  out.append(slashes * 2, L'\\');
  out += L'"';
  return out;
}

std::wstring JoinCommandLine(const std::vector<std::wstring>& args) {
  std::wstring line;
  for (size_t i = 0; i < args.size(); ++i) {
    if (i) line += L' ';
    // The program name has no escapes: quote it only when it has blanks.
    if (i == 0)
      line += args[0].find_first_of(L" \t") == std::wstring::npos && !args[0].empty() ? args[0]
                                                                                      : L"\"" + args[0] + L"\"";
    else
      line += QuoteArgument(args[i]);
  }
  return line;
}

}  // namespace win32

LPCWSTR GetCommandLineW() {
  static const std::wstring* line = new std::wstring(win32::BuildCommandLine());
  return line->c_str();
}

LPWSTR* CommandLineToArgvW(LPCWSTR commandLine, int* count) {
  if (!count) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::vector<std::wstring> args;
  if (!commandLine || !*commandLine) {
    wchar_t self[4096];
    DWORD n = GetModuleFileNameW(nullptr, self, 4096);
    args.emplace_back(self, n < 4096 ? n : 0);
  } else {
    args = win32::SplitCommandLine(commandLine);
  }
  size_t bytes = (args.size() + 1) * sizeof(LPWSTR);
  for (const auto& arg : args) bytes += (arg.size() + 1) * sizeof(wchar_t);
  auto* block = static_cast<LPWSTR*>(LocalAlloc(LMEM_FIXED, bytes));
  if (!block) return nullptr;
  auto* text = reinterpret_cast<wchar_t*>(block + args.size() + 1);
  for (size_t i = 0; i < args.size(); ++i) {
    block[i] = text;
    std::memcpy(text, args[i].c_str(), (args[i].size() + 1) * sizeof(wchar_t));
    text += args[i].size() + 1;
  }
  block[args.size()] = nullptr;
  *count = static_cast<int>(args.size());
  return block;
}
