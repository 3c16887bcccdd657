#pragma once
// Runs a simulation: a new world, random steps (or recorded ones), quiet
// points where the sides must agree and nothing may be lost, and the
// shrinking of a failing run to a short list of steps.
#include <cstdint>
#include <string>
#include <vector>

#include "SimStep.h"

namespace simtest {

enum Check : int {
  kConverged = 1,  // the three trees are equal
  kNothingLost = 2,
  kInsideRoots = 3,
  kNoCrash = 4,
  kNoStrayCopies = 5,
};

struct Violation {
  int check = 0;
  std::string text;
};

struct RunResult {
  std::vector<Step> steps;  // as run, quiet points included
  std::vector<Violation> violations;
  int failedAt = -1;  // the step after which the first violation showed
  int randomSteps = 0;
};

struct RunOptions {
  int steps = 60;
  // Quiet points every this many steps, give or take a third.
  int quietEvery = 15;
  bool verbose = false;
};

// A run of random steps from the seed; stops at the first quiet point that
// finds a violation.
RunResult RunSeed(std::uint64_t seed, const RunOptions& options);

// The recorded steps again, on a new world, with a quiet point at the end.
RunResult Replay(const std::vector<Step>& steps, const RunOptions& options);

// Removes steps while the replay still shows a violation of the same check;
// at most `replays` replays. The shortest failing list found.
std::vector<Step> Shrink(const std::vector<Step>& steps, int check, int replays, const RunOptions& options);

std::string Report(const RunResult& result);

}  // namespace simtest
