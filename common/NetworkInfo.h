#pragma once
// The adapter address that names this machine to the service, and the network test.
#include <string>

namespace Common {

// The hardware address of the first Ethernet adapter that has one, as
// "00-1a-2b-3c-4d-5e" (lower case); "unknown_mac_address" when there is none.
// Read once per process.
std::string GetMacAddress();
// Whether the maker's web portal can be reached: a connection to it is opened (and
// closed again) within a few seconds. The portal is "www.halvorn.com:80" unless the
// environment variable DORV_PORTAL_ADDRESS names another "host:port".
bool IsNetReachable();
// The portal's host and port as IsNetReachable uses them; false when
// DORV_PORTAL_ADDRESS is not a "host:port".
bool GetPortalAddress(std::string& host, int& port);

}  // namespace Common
