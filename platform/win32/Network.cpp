#include "win32/Network.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>

namespace {

std::atomic<int> g_starts{0};

std::mutex g_folderLock;
std::string g_folder;

std::string ReadLine(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  return line;
}

bool ParseHardwareAddress(const std::string& text, BYTE out[6]) {
  unsigned v[6];
  char tail = 0;
  if (std::sscanf(text.c_str(), "%2x:%2x:%2x:%2x:%2x:%2x%c", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &tail) != 6)
    return false;
  for (int i = 0; i < 6; ++i) out[i] = static_cast<BYTE>(v[i]);
  return true;
}

}  // namespace

int WSAStartup(WORD version, LPWSADATA data) {
  if (!data) return WSAEFAULT;
  std::memset(data, 0, sizeof *data);
  data->wVersion = version;
  data->wHighVersion = MAKEWORD(2, 2);
  std::strcpy(data->szDescription, "sockets");
  std::strcpy(data->szSystemStatus, "Running");
  if ((version & 0xFF) < 1) return WSAVERNOTSUPPORTED;
  ++g_starts;
  return 0;
}

int WSACleanup() {
  int left = g_starts.load();
  while (left > 0 && !g_starts.compare_exchange_weak(left, left - 1)) {
  }
  return left > 0 ? 0 : -1;  // SOCKET_ERROR with WSANOTINITIALISED on Windows
}

namespace win32 {

void SetNetworkAdaptersFolder(const std::string& folder) {
  std::lock_guard guard(g_folderLock);
  g_folder = folder;
}

std::vector<NetworkAdapter> NetworkAdapters() {
  std::string folder;
  {
    std::lock_guard guard(g_folderLock);
    folder = g_folder.empty() ? "/sys/class/net" : g_folder;
  }
  std::vector<NetworkAdapter> adapters;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    NetworkAdapter adapter;
    adapter.name = entry.path().filename().string();
    try {
      adapter.index = std::stoi(ReadLine(entry.path() / "ifindex"));
      adapter.hardwareType = std::stoi(ReadLine(entry.path() / "type"));
    } catch (...) {
      continue;  // not an interface folder
    }
    if (!ParseHardwareAddress(ReadLine(entry.path() / "address"), adapter.address))
      std::memset(adapter.address, 0, sizeof adapter.address);
    adapters.push_back(adapter);
  }
  std::sort(adapters.begin(), adapters.end(),
            [](const NetworkAdapter& a, const NetworkAdapter& b) { return a.index < b.index; });
  return adapters;
}

std::vector<std::string> LocalIPv4Addresses() {
  std::vector<std::string> outside, loopback;
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return {};
  for (ifaddrs* a = list; a; a = a->ifa_next) {
    if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET || !(a->ifa_flags & IFF_UP)) continue;
    char text[INET_ADDRSTRLEN] = {};
    const auto* in = reinterpret_cast<const sockaddr_in*>(a->ifa_addr);
    if (!::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text)) continue;
    ((a->ifa_flags & IFF_LOOPBACK) ? loopback : outside).push_back(text);
  }
  ::freeifaddrs(list);
  outside.insert(outside.end(), loopback.begin(), loopback.end());
  return outside;
}

}  // namespace win32
