#include "client/core/protocol/SystemFacts.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

namespace SystemFacts {

OsVersion GetOsVersion() { return {6, 1}; }

std::string GetMacAddress() {
  std::vector<std::filesystem::path> adapters;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/sys/class/net", error))
    adapters.push_back(entry.path());
  std::sort(adapters.begin(), adapters.end());
  for (const auto& adapter : adapters) {
    if (adapter.filename() == "lo") continue;
    std::ifstream file(adapter / "address");
    std::string address;
    if (!std::getline(file, address) || address.size() != 17 || address == "00:00:00:00:00:00") continue;
    std::replace(address.begin(), address.end(), ':', '-');
    std::transform(address.begin(), address.end(), address.begin(), [](unsigned char c) { return std::tolower(c); });
    return address;
  }
  return "unknown_mac_address";
}

std::string GetHostName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return std::string();
  return name;
}

}  // namespace SystemFacts
