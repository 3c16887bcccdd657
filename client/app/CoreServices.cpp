#include "client/app/CoreServices.h"

#include <sys/utsname.h>

#include <cstdio>

juce::String StartupVersionText() { return "1.0.2"; }

juce::String StartupOSVersionText() {
  int major = 0, minor = 0;
  utsname names{};
  if (uname(&names) == 0) std::sscanf(names.release, "%d.%d", &major, &minor);
  return juce::String(major) + "." + juce::String(minor);
}

void CloseProxyConnections() {}
