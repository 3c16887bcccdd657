#include "display/MessageBoxJournal.h"

#include <cstdlib>
#include <fstream>
#include <mutex>

#include "win32/CodePage.h"

namespace display {

namespace {

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
  return out;
}

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size);
  return out;
}

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') out += "\\\\";
    else if (c == '\t') out += "\\t";
    else if (c == '\n') out += "\\n";
    else out += c;
  }
  return out;
}

// Splits a journal line at its tabs, undoing the escapes.
std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields(1);
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (c == '\t') {
      fields.emplace_back();
    } else if (c == '\\' && i + 1 < line.size()) {
      char next = line[++i];
      fields.back() += next == 't' ? '\t' : next == 'n' ? '\n' : next;
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

// Installs the journal when the process is started with one named.
struct JournalInstaller {
  JournalInstaller() {
    const char* file = std::getenv(kDesktopJournalVariable);
    if (!file || !*file) return;
    std::string path = file;
    Desktop::Get().SetMessageBoxHandler([path](const MessageBoxCall& call) {
      static std::mutex lock;
      std::lock_guard<std::mutex> hold(lock);
      std::ofstream out(path, std::ios::app | std::ios::binary);
      out << call.type << '\t' << Escape(Utf8(call.caption)) << '\t' << Escape(Utf8(call.text)) << '\n';
      return 0;  // answered as without the journal
    });
  }
} installer;

}  // namespace

std::vector<MessageBoxCall> ReadMessageBoxJournal(const std::string& file) {
  std::vector<MessageBoxCall> calls;
  std::ifstream in(file, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> fields = Fields(line);
    if (fields.size() != 3) continue;
    MessageBoxCall call;
    call.type = static_cast<UINT>(std::strtoul(fields[0].c_str(), nullptr, 10));
    call.caption = Wide(fields[1]);
    call.text = Wide(fields[2]);
    calls.push_back(call);
  }
  return calls;
}

}  // namespace display
