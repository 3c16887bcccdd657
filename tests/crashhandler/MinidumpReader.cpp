#include "MinidumpReader.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace dorvtest {
namespace {

class Bytes {
 public:
  explicit Bytes(std::vector<char> data) : m_data(std::move(data)) {}
  template <typename T>
  T At(uint64_t offset) const {
    if (offset + sizeof(T) > m_data.size()) throw std::runtime_error("offset beyond the file");
    T v{};
    std::memcpy(&v, m_data.data() + offset, sizeof v);
    return v;
  }
  std::string Slice(uint64_t offset, uint64_t size) const {
    if (offset + size > m_data.size()) throw std::runtime_error("range beyond the file");
    return std::string(m_data.data() + offset, size);
  }
  // A string record: byte length, UTF-16 text (ASCII kept, the rest '?').
  std::string Text(uint32_t rva) const {
    uint32_t bytes = At<uint32_t>(rva);
    std::string out;
    for (uint32_t i = 0; i < bytes / 2; ++i) {
      uint16_t u = At<uint16_t>(rva + 4 + 2 * i);
      out += u < 0x80 ? static_cast<char>(u) : '?';
    }
    return out;
  }

 private:
  std::vector<char> m_data;
};

}  // namespace

const MinidumpModule* MinidumpFile::ModuleAt(uint64_t address) const {
  for (const auto& m : modules)
    if (address >= m.base && address < m.base + m.size) return &m;
  return nullptr;
}

MinidumpFile ReadMinidump(const std::filesystem::path& file) {
  MinidumpFile dump;
  std::ifstream in(file, std::ios::binary);
  Bytes b(std::vector<char>(std::istreambuf_iterator<char>(in), {}));
  try {
    if (b.At<uint32_t>(0) != 0x504D444D) throw std::runtime_error("no MDMP signature");
    dump.version = b.At<uint32_t>(4);
    uint32_t count = b.At<uint32_t>(8), directory = b.At<uint32_t>(12);
    for (uint32_t i = 0; i < count; ++i) {
      uint64_t at = directory + 12ull * i;
      dump.streams[b.At<uint32_t>(at)] = {b.At<uint32_t>(at + 4), b.At<uint32_t>(at + 8)};
    }
    auto stream = [&](uint32_t type) {
      auto it = dump.streams.find(type);
      if (it == dump.streams.end()) throw std::runtime_error("stream " + std::to_string(type) + " missing");
      b.Slice(it->second.second, it->second.first);  // lies inside the file
      return it->second.second;
    };
    uint32_t sys = stream(7);
    dump.architecture = b.At<uint16_t>(sys);
    dump.platform = b.At<uint32_t>(sys + 20);

    uint32_t threads = stream(3);
    if (b.At<uint32_t>(threads) < 1) throw std::runtime_error("no thread");
    uint32_t t = threads + 4;
    dump.threadId = b.At<uint32_t>(t);
    dump.stackStart = b.At<uint64_t>(t + 24);
    dump.stack = b.Slice(b.At<uint32_t>(t + 36), b.At<uint32_t>(t + 32));
    uint32_t contextSize = b.At<uint32_t>(t + 40), contextRva = b.At<uint32_t>(t + 44);
    if (contextSize != 1232) throw std::runtime_error("context of the wrong size");
    dump.contextFlags = b.At<uint32_t>(contextRva + 0x30);
    dump.rsp = b.At<uint64_t>(contextRva + 0x98);
    dump.rip = b.At<uint64_t>(contextRva + 0xF8);

    uint32_t ex = stream(6);
    dump.exceptionThread = b.At<uint32_t>(ex);
    dump.exceptionCode = b.At<uint32_t>(ex + 8);
    dump.exceptionAddress = b.At<uint64_t>(ex + 24);
    if (b.At<uint32_t>(ex + 164) != contextRva) throw std::runtime_error("exception context differs");

    uint32_t mods = stream(4);
    uint32_t moduleCount = b.At<uint32_t>(mods);
    for (uint32_t i = 0; i < moduleCount; ++i) {
      uint64_t m = mods + 4 + 108ull * i;
      MinidumpModule module{b.At<uint64_t>(m), b.At<uint32_t>(m + 8), b.Text(b.At<uint32_t>(m + 20)), {}};
      uint32_t cvSize = b.At<uint32_t>(m + 76), cvRva = b.At<uint32_t>(m + 80);
      if (cvSize > 4 && b.At<uint32_t>(cvRva) == 0x4270454C) {
        static const char hex[] = "0123456789abcdef";
        for (unsigned char c : b.Slice(cvRva + 4, cvSize - 4)) module.buildId += {hex[c >> 4], hex[c & 15]};
      }
      dump.modules.push_back(module);
    }
    stream(5);
    auto maps = dump.streams.at(0x47670009);
    dump.maps = b.Slice(maps.second, maps.first);
    dump.valid = true;
  } catch (const std::exception& e) {
    dump.error = e.what();
  }
  return dump;
}

}  // namespace dorvtest
