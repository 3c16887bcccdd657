#pragma once
// The library's factory exports.
#include "FaultTrapInterface.h"

#define FAULTTRAP_EXPORT __attribute__((visibility("default")))

// Stores a new crash handler in *out (null when it cannot be allocated) and
// returns 1; 0 when out is null.
extern "C" FAULTTRAP_EXPORT int CreateFaultTrap2(FaultTrapInterface** out);
// The same, under its C++ name, with false/true.
FAULTTRAP_EXPORT bool CreateFaultTrap(FaultTrapInterface** out);
