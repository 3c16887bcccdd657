#include "display/MessageBoxJournal.h"

#include <cstdlib>
#include <fstream>
#include <mutex>

#include "win32/CodePage.h"

namespace display {

namespace {

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
      out << call.type << '\t' << Escape(WideToUtf8(call.caption)) << '\t' << Escape(WideToUtf8(call.text)) << '\n';
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
    call.caption = Utf8ToWide(fields[1]);
    call.text = Utf8ToWide(fields[2]);
    calls.push_back(call);
  }
  return calls;
}

}  // namespace display
