#include "display/dbus/BusNames.h"

#include <cstring>

namespace display {

bool FollowOwner(sd_bus* bus, const char* name, sd_bus_message_handler_t changed, void* userdata) {
  const std::string rule =
      "type='signal',sender='org.freedesktop.DBus',path='/org/freedesktop/DBus',interface='org.freedesktop.DBus',"
      "member='NameOwnerChanged',arg0='" + std::string(name) + "'";
  sd_bus_add_match(bus, nullptr, rule.c_str(), changed, userdata);
  sd_bus_message* reply = nullptr;
  int has = 0;
  if (sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
                         nullptr, &reply, "s", name) >= 0)
    sd_bus_message_read(reply, "b", &has);
  sd_bus_message_unref(reply);
  return has != 0;
}

std::string NewOwner(sd_bus_message* signal) {
  const char *name = nullptr, *before = nullptr, *after = nullptr;
  if (sd_bus_message_read(signal, "sss", &name, &before, &after) < 0 || !after) return "";
  return after;
}

bool Activatable(sd_bus* bus, const char* name) {
  sd_bus_message* reply = nullptr;
  bool found = false;
  if (sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                         "ListActivatableNames", nullptr, &reply, "") >= 0) {
    char** names = nullptr;
    if (sd_bus_message_read_strv(reply, &names) >= 0 && names) {
      for (char** n = names; *n; ++n) {
        found = found || std::strcmp(*n, name) == 0;
        free(*n);
      }
      free(names);
    }
  }
  sd_bus_message_unref(reply);
  return found;
}

}  // namespace display
