#pragma once
// The host's first IPv4 address as dotted text, sent with the sign-in and the
// client-id renewal: the first interface that is up and not loopback, else the
// loopback address, else empty.
#include <string>

std::string GetLocalIP();
