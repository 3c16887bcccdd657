#pragma once
#include <juce_core/juce_core.h>

// The running program's folder, ending with its separator: the module file
// name cut after its last separator (or after a drive's ":" when it has none).
// Never fails; empty when the name can't be read.
juce::String GetExeDirectory();
