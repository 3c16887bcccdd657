#include "SimStep.h"

#include <cstdio>

namespace simtest {

const char* SideName(int side) {
  switch (side) {
    case kA: return "A";
    case kB: return "B";
    case kW: return "W";
    default: return "service";
  }
}

std::string Content(std::uint64_t tag, std::int64_t size) {
  if (size <= 0) return {};
  if (size < kHeaderBytes) size = kHeaderBytes;
  char header[kHeaderBytes + 1];
  std::snprintf(header, sizeof(header), "#sim %016llx ..........", static_cast<unsigned long long>(tag));
  header[kHeaderBytes - 1] = '\n';
  std::string bytes(header, kHeaderBytes);
  bytes.reserve(static_cast<size_t>(size));
  std::uint64_t state = tag * 0x9E3779B97F4A7C15ull + 1;
  while (static_cast<std::int64_t>(bytes.size()) < size) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    bytes += static_cast<char>('a' + state % 26);
  }
  return bytes;
}

std::string Describe(const Step& s) {
  static const char* names[] = {"write",  "append", "truncate", "atomic-save", "mkdir",   "rename",
                                "move",   "case-rename", "delete", "swap",   "burst",   "kill",
                                "restart", "fault", "service-restart", "quiesce"};
  std::string out = std::string(SideName(s.side)) + " " + names[static_cast<int>(s.op)];
  if (!s.path.empty()) out += " \"" + s.path + "\"";
  if (!s.to.empty()) out += " -> \"" + s.to + "\"";
  switch (s.op) {
    case Op::Write:
    case Op::Append:
    case Op::AtomicSave:
    case Op::Swap:
      out += " (" + std::to_string(s.size) + " bytes, tag " + std::to_string(s.tag) + ")";
      break;
    case Op::Burst:
      out += " (" + std::to_string(s.size) + " files, tag " + std::to_string(s.tag) + ")";
      break;
    case Op::Truncate:
      out += " (to " + std::to_string(s.size) + " bytes)";
      break;
    case Op::Fault:
      out += " " + s.text;
      break;
    default:
      break;
  }
  return out;
}

}  // namespace simtest
