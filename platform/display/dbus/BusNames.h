#pragma once
// Following who owns a well-known name on the bus.
#include <systemd/sd-bus.h>

#include <string>

namespace display {

// Calls `changed` with each NameOwnerChanged of `name` from now on (the bus slot lives as long
// as the connection); true when the name has an owner now.
bool FollowOwner(sd_bus* bus, const char* name, sd_bus_message_handler_t changed, void* userdata);
// The new owner a NameOwnerChanged signal announces ("" when the name lost its owner).
std::string NewOwner(sd_bus_message* signal);
// Whether the bus starts a service for `name` on the first call to it.
bool Activatable(sd_bus* bus, const char* name);

}  // namespace display
