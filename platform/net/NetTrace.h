#pragma once
#include <string>

#include <juce_core/juce_core.h>

namespace Net {

// Appends one line (time, level, text) to the network trace file,
// "dorv_net_trace.log" beside the program's log in the application-data
// folder. Never fails its caller: the result only says whether the line was
// written.
bool NET_TRACE(int level, const char* text);
bool NET_TRACE(int level, const std::string& text);
bool NET_TRACE(int level, const juce::String& text);

// The trace file's full path.
std::string GetNetTracePath();

}  // namespace Net
