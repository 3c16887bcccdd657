#pragma once
// The machine's network adapters and addresses, and the socket library's start-up.
#include <string>
#include <vector>

#include "win32/WinDef.h"

constexpr WORD MAKEWORD(BYTE low, BYTE high) { return static_cast<WORD>(low | (high << 8)); }

struct WSADATA {
  WORD wVersion;
  WORD wHighVersion;
  char szDescription[257];
  char szSystemStatus[129];
  unsigned short iMaxSockets;
  unsigned short iMaxUdpDg;
  char* lpVendorInfo;
};
using LPWSADATA = WSADATA*;

constexpr int WSAVERNOTSUPPORTED = 10092;
constexpr int WSANOTINITIALISED = 10093;
constexpr int WSAEFAULT = 10014;

// Sockets need no start-up here; the calls keep their contracts (version 1.0 and
// above accepted, a count of starts that WSACleanup takes back).
int WSAStartup(WORD version, LPWSADATA data);
int WSACleanup();

namespace win32 {

struct NetworkAdapter {
  std::string name;     // the interface's name ("eth0")
  int index = 0;        // the system's interface index
  int hardwareType = 0; // ARPHRD_* (1: Ethernet, 772: loopback)
  BYTE address[6] = {}; // the hardware address (zeros when it has none)
};

// The adapters in the order of their interface index, read from the folder of the
// system's network interfaces (/sys/class/net, one folder per interface holding the
// files "ifindex", "type" and "address"). Tests may point it at another folder.
std::vector<NetworkAdapter> NetworkAdapters();
void SetNetworkAdaptersFolder(const std::string& folder);  // empty: the system's

// The host's IPv4 addresses as dotted text, as resolving the host's own name gives
// them on Windows: the addresses of the interfaces that are up, loopback last.
std::vector<std::string> LocalIPv4Addresses();

}  // namespace win32
