#include "FaultTrapExports.h"

#include <new>

#include "FaultTrapImpl.h"

extern "C" int CreateFaultTrap2(FaultTrapInterface** out) {
  if (!out) return 0;
  *out = new (std::nothrow) FaultTrapImpl();
  return 1;
}

bool CreateFaultTrap(FaultTrapInterface** out) { return CreateFaultTrap2(out) != 0; }
