#pragma once
// The facts about this machine that the app requests send: the system
// version of the User-Agent, the first network adapter's address and the
// host name.
#include <string>

namespace SystemFacts {

struct OsVersion {
  long major;
  long minor;
};

// The version the service expects after "Windows|": 6.1.
OsVersion GetOsVersion();
// The first adapter's hardware address (loopback and all-zero addresses
// skipped) as "xx-xx-xx-xx-xx-xx" in lower case; "unknown_mac_address" when
// there is none.
std::string GetMacAddress();
// The host name; empty when it cannot be read.
std::string GetHostName();

}  // namespace SystemFacts
