#include "client/core/login/LocalIP.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

std::string GetLocalIP() {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return std::string();
  std::string first;
  std::string loopback;
  for (ifaddrs* entry = list; entry && first.empty(); entry = entry->ifa_next) {
    if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET || !(entry->ifa_flags & IFF_UP)) continue;
    char text[INET_ADDRSTRLEN] = {};
    const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
    if (!inet_ntop(AF_INET, &address->sin_addr, text, sizeof(text))) continue;
    if (entry->ifa_flags & IFF_LOOPBACK) {
      if (loopback.empty()) loopback = text;
    } else {
      first = text;
    }
  }
  freeifaddrs(list);
  return first.empty() ? loopback : first;
}
