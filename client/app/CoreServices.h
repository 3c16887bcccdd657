#pragma once
// What the application object asks of services whose own libraries are not in
// the program yet: each answers here as the program without them would.
#include <juce_core/juce_core.h>

// The configuration's version text, the product version of the log's first line.
juce::String StartupVersionText();
// The system's version as "major.minor", for the log's first line.
juce::String StartupOSVersionText();
// Closes every connection the network library keeps open (none yet).
void CloseProxyConnections();
