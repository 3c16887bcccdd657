// A FaultTrap.dll for the program's tests: it hands out a crash handler that
// only records, one line per call, in the file named by DORV_FAULTTRAP_RECORD.
#include <cstdlib>
#include <cstdio>
#include <new>
#include <string>

#include "crashhandler/FaultTrapInterface.h"

namespace {

void Record(const std::string& line) {
  const char* file = std::getenv("DORV_FAULTTRAP_RECORD");
  if (!file) return;
  if (FILE* out = std::fopen(file, "a")) {
    std::fprintf(out, "%s\n", line.c_str());
    std::fclose(out);
  }
}

// ASCII as it is, anything else as \u{hex}.
std::string Text(const wchar_t* value) {
  if (!value) return "(null)";
  std::string out;
  for (; *value; ++value) {
    if (*value < 0x80) {
      out += static_cast<char>(*value);
    } else {
      char code[16];
      std::snprintf(code, sizeof code, "\\u{%x}", static_cast<unsigned>(*value));
      out += code;
    }
  }
  return out;
}

class RecordingFaultTrap final : public FaultTrapInterface {
 public:
  virtual ~RecordingFaultTrap() = default;
  bool SetParameter(int kind, const wchar_t* value) override {
    Record("SetParameter " + std::to_string(kind) + " " + Text(value));
    return value != nullptr;
  }
  bool Start(bool outOfProcess) override {
    Record(std::string("Start ") + (outOfProcess ? "true" : "false"));
    return true;
  }
  void Release() override {
    Record("Release");
    delete this;
  }
};

}  // namespace

extern "C" __attribute__((visibility("default"))) int CreateFaultTrap2(FaultTrapInterface** out) {
  if (!out) return 0;
  *out = new (std::nothrow) RecordingFaultTrap;
  return 1;
}
