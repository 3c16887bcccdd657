// Two devices and another party change one service folder at once, at random,
// with kills, restarts and service faults in between; at every quiet point the
// sides must agree and no user's content may be lost.
//
// A fixed set of seeds runs as tests. SimulationBatch runs new seeds when
// DORV_SIM_SEEDS is set ("FIRST:COUNT"), for scripts/sim. DORV_SIM_STEPS sets
// the random steps per seed, DORV_SIM_SHRINK the replays a failing seed may
// spend on shrinking, DORV_SIM_LOG a file that gets one line per seed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

#include "SimRunner.h"

namespace {

using namespace simtest;

int EnvInt(const char* name, int fallback) {
  const char* value = std::getenv(name);
  return value && *value ? std::atoi(value) : fallback;
}

std::string Steps(const std::vector<Step>& steps) {
  std::ostringstream out;
  for (size_t i = 0; i < steps.size(); ++i) out << "  " << i << ". " << Describe(steps[i]) << "\n";
  return out.str();
}

// Runs one seed; on a violation, shrinks the steps that led to it and says
// what it found. True when the seed passed.
bool RunAndReport(std::uint64_t seed, const RunOptions& options, int& randomSteps, std::string& report) {
  const RunResult result = RunSeed(seed, options);
  randomSteps += result.randomSteps;
  if (result.violations.empty()) return true;
  std::ostringstream out;
  out << "seed " << seed << ": " << Report(result);
  const int replays = EnvInt("DORV_SIM_SHRINK", 4);
  if (result.failedAt >= 0 && replays > 0) {
    const std::vector<Step> failing(result.steps.begin(), result.steps.begin() + result.failedAt + 1);
    const std::vector<Step> shrunk = Shrink(failing, result.violations.front().check, replays, options);
    out << "shrunk from " << failing.size() << " to " << shrunk.size() << " steps:\n" << Steps(shrunk);
  } else {
    out << "steps:\n" << Steps(result.steps);
  }
  report = out.str();
  return false;
}

RunOptions Options() {
  RunOptions options;
  options.steps = EnvInt("DORV_SIM_STEPS", 40);
  options.verbose = EnvInt("DORV_SIM_VERBOSE", 0) != 0;
  return options;
}

class Simulation : public testing::TestWithParam<int> {};

TEST_P(Simulation, TheDevicesAndTheServiceConvergeAndLoseNothing) {
  int randomSteps = 0;
  std::string report;
  EXPECT_TRUE(RunAndReport(static_cast<std::uint64_t>(GetParam()), Options(), randomSteps, report)) << report;
}

INSTANTIATE_TEST_SUITE_P(FixedSeeds, Simulation, testing::Values(1, 2, 3, 4, 5, 6));

TEST(SimulationBatch, NewSeeds) {
  const char* seeds = std::getenv("DORV_SIM_SEEDS");
  if (!seeds || !*seeds) GTEST_SKIP() << "scripts/sim runs this with DORV_SIM_SEEDS=FIRST:COUNT";
  const std::string text = seeds;
  const std::uint64_t first = std::strtoull(text.c_str(), nullptr, 10);
  const size_t colon = text.find(':');
  const int count = colon == std::string::npos ? 1 : std::atoi(text.c_str() + colon + 1);
  std::ofstream log;
  if (const char* path = std::getenv("DORV_SIM_LOG")) log.open(path, std::ios::app);
  int randomSteps = 0, failed = 0;
  for (int i = 0; i < count; ++i) {
    const std::uint64_t seed = first + static_cast<std::uint64_t>(i);
    std::string report;
    const int before = randomSteps;
    const bool passed = RunAndReport(seed, Options(), randomSteps, report);
    failed += passed ? 0 : 1;
    std::cout << "seed " << seed << ": " << (passed ? "ok" : "VIOLATION") << " (" << randomSteps - before << " steps)\n"
              << report << std::flush;
    if (log.is_open()) log << "seed " << seed << " " << (passed ? "ok" : "violation") << " " << randomSteps - before << "\n" << report << std::flush;
  }
  std::cout << randomSteps << " random steps over " << count << " seeds, " << failed << " with violations\n";
  if (log.is_open()) log << "total: " << randomSteps << " random steps over " << count << " seeds, " << failed << " with violations\n";
  EXPECT_EQ(failed, 0);
}

}  // namespace
