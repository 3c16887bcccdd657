// Linked into test programs whose tests post request tasks to the thread pools.
// The program ends its pools in its exit; a test program must too, before its
// static objects go, or a task still running then uses objects being destroyed.
#include <gtest/gtest.h>

#include "client/core/context/ThreadsPools.h"

namespace {

class PoolsEnvironment : public testing::Environment {
 public:
  void TearDown() override { FreeThreadsPools(); }
};

testing::Environment* const g_pools = testing::AddGlobalTestEnvironment(new PoolsEnvironment);

}  // namespace
