// Step lists the simulation found, replayed as they were shrunk. Disabled ones
// still fail; run them with --gtest_also_run_disabled_tests.
#include <gtest/gtest.h>

#include "SimRunner.h"

namespace {

using namespace simtest;

Step Make(Op op, int side, std::string path = {}, std::string to = {}) {
  Step step;
  step.op = op;
  step.side = side;
  step.path = std::move(path);
  step.to = std::move(to);
  return step;
}

// Another party renames a folder to a name this device has just made itself
// while it was not running; the service merges the two folders into one, and
// the device's old, empty folder of the first name gives way.
TEST(SimulationRecorded, ARenameOntoAFolderTheDeviceMadeMeanwhileLeavesNoOldFolder) {
  const std::vector<Step> steps = {Make(Op::Mkdir, kW, "P"),         Make(Op::Quiesce, kService),
                                   Make(Op::Kill, kA),               Make(Op::Rename, kW, "P", "box"),
                                   Make(Op::Mkdir, kA, "box"),       Make(Op::Restart, kA),
                                   Make(Op::Quiesce, kService)};
  const RunResult result = Replay(steps, RunOptions());
  EXPECT_TRUE(result.violations.empty()) << Report(result);
}

}  // namespace
