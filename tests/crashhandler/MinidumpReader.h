#pragma once
// Reads back the parts of a minidump file that the crash tests look at.
// Every offset is checked against the file's size; a malformed file gives
// `valid` false and an explanation in `error`.
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace dorvtest {

struct MinidumpModule {
  uint64_t base = 0;
  uint32_t size = 0;
  std::string name;
  std::string buildId;  // lower-case hex from an ELF CodeView record; empty when none
};

struct MinidumpFile {
  bool valid = false;
  std::string error;
  uint32_t version = 0;
  std::map<uint32_t, std::pair<uint32_t, uint32_t>> streams;  // type -> (size, rva)
  uint16_t architecture = 0;
  uint32_t platform = 0;
  uint32_t threadId = 0;
  uint64_t stackStart = 0;
  std::string stack;
  uint32_t exceptionThread = 0;
  uint32_t exceptionCode = 0;
  uint64_t exceptionAddress = 0;
  uint32_t contextFlags = 0;
  uint64_t rip = 0;
  uint64_t rsp = 0;
  std::vector<MinidumpModule> modules;
  std::string maps;

  const MinidumpModule* ModuleAt(uint64_t address) const;
};

MinidumpFile ReadMinidump(const std::filesystem::path& file);

}  // namespace dorvtest
