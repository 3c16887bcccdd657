#include "SimRunner.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <random>
#include <sstream>
#include <thread>

#include <unistd.h>

#include "SimActions.h"
#include "SimModel.h"
#include "SimWorld.h"
#include "TempDir.h"

namespace simtest {

namespace {

using Clock = std::chrono::steady_clock;

// The watcher holds a change back for a short while to coalesce it with the
// next; nothing outside the engine can see such a change, so quiet must last
// longer than that hold.
constexpr auto kQuietWindow = std::chrono::milliseconds(3000);
constexpr auto kQuietLimit = std::chrono::seconds(150);

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

std::uint64_t TagOf(std::uint64_t seed, int index) { return (seed << 24) ^ (static_cast<std::uint64_t>(index) << 8); }

// Both engines settled, and nothing moving on any side, for the whole window.
bool WaitQuiet(World& world, std::string& why) {
  const auto start = Clock::now();
  auto quietSince = start;
  std::string lastA, lastB;
  Tree lastTreeA, lastTreeB, lastService;
  bool first = true;
  while (Clock::now() - start < kQuietLimit) {
    const std::string a = world.engine(kA).Status(), b = world.engine(kB).Status();
    Tree treeA = ReadLocalTree(world.engine(kA).root(), false);
    Tree treeB = ReadLocalTree(world.engine(kB).root(), false);
    Tree service = world.ServiceTree();
    const bool settled = StartsWith(a, "settled") && StartsWith(b, "settled");
    const bool still = !first && a == lastA && b == lastB && treeA == lastTreeA && treeB == lastTreeB && service == lastService;
    if (!settled || !still)
      quietSince = Clock::now();
    else if (Clock::now() - quietSince >= kQuietWindow)
      return true;
    lastA = a;
    lastB = b;
    lastTreeA = std::move(treeA);
    lastTreeB = std::move(treeB);
    lastService = std::move(service);
    first = false;
    if (!world.engine(kA).Alive() || !world.engine(kB).Alive()) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  why = "A: " + lastA + ", B: " + lastB;
  return false;
}

std::vector<Violation> CrashCheck(World& world) {
  std::vector<Violation> found;
  for (int side : {kA, kB}) {
    const std::string exit = world.engine(side).CheckExit();
    if (!exit.empty()) found.push_back({kNoCrash, std::string("engine ") + SideName(side) + " " + exit + "\n" + world.engine(side).Tail()});
  }
  return found;
}

std::vector<Violation> Quiesce(World& world, const Model& model, bool verbose) {
  std::vector<Violation> found = CrashCheck(world);
  world.Admin("faults/clear");
  for (int side : {kA, kB})
    if (!world.engine(side).running()) world.StartEngine(side);

  Tree a, b, service;
  std::string why;
  bool quiet = false, same = false;
  // A round that ends unequal may have met work still on its way (a change
  // held back, a link poll in flight): a second and third look before judging.
  for (int round = 0; round < 3 && !same; ++round) {
    quiet = WaitQuiet(world, why);
    a = ReadLocalTree(world.engine(kA).root());
    b = ReadLocalTree(world.engine(kB).root());
    service = world.ServiceTree();
    same = SameContent(a, service) && SameContent(b, service);
    if (!quiet) break;
  }
  if (verbose)
    std::cerr << "  quiet point: " << (quiet ? "quiet" : "not quiet") << ", " << service.size() << " items on the service, "
              << model.live().size() << " live contents\n";
  const std::vector<Violation> crashes = CrashCheck(world);
  found.insert(found.end(), crashes.begin(), crashes.end());
  if (!same)
    found.push_back({kConverged, std::string(quiet ? "" : "never quiet (" + why + "); ") + "the trees differ\n  A against the service:\n" +
                                     DiffTrees(a, service) + "  B against the service:\n" + DiffTrees(b, service)});

  std::map<std::string, int> copies;
  for (const Tree* tree : {&a, &b, &service})
    for (const auto& [path, entry] : *tree)
      if (!entry.isDir) copies[entry.md5] += 0;
  std::ostringstream lost;
  for (const auto& [md5, how] : model.live())
    if (!copies.count(md5)) lost << "  " << how << " (" << md5 << ")\n";
  if (!lost.str().empty()) found.push_back({kNothingLost, "contents in no file:\n" + lost.str()});

  const std::string outside = world.CheckOutsideRoots();
  if (!outside.empty()) found.push_back({kInsideRoots, outside});

  for (const auto& [path, entry] : service)
    if (!entry.isDir && entry.size > 0) ++copies[entry.md5];
  std::ostringstream stray;
  for (const auto& [path, entry] : service)
    if (!entry.isDir && entry.size > 0 && copies[entry.md5] > 1) stray << "  " << path << "\n";
  if (!stray.str().empty()) found.push_back({kNoStrayCopies, "the same content in more than one file:\n" + stray.str()});
  return found;
}

// With DORV_SIM_KEEP set to a folder, a run that shows a violation leaves
// there the whole log of each engine and of its host, for reading later.
void KeepLogs(World& world) {
  const char* keep = std::getenv("DORV_SIM_KEEP");
  if (!keep || !*keep) return;
  static int runs = 0;
  const std::filesystem::path into = std::filesystem::path(keep) / ("run-" + std::to_string(::getpid()) + "-" + std::to_string(++runs));
  std::error_code error;
  for (int side : {kA, kB}) {
    const std::filesystem::path home = world.engine(side).home(), to = into / SideName(side);
    std::filesystem::create_directories(to, error);
    std::filesystem::copy_file(home / "host.out", to / "host.out", error);
    std::filesystem::copy_file(home / "data" / "Halvorn" / "dorv" / "dorv.log", to / "dorv.log", error);
  }
  std::cerr << "  logs kept in " << into.string() << "\n";
}

void Pause(int ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Runs steps (given, or chosen when `random` is set) on a new world.
RunResult Run(const std::vector<Step>* recorded, std::mt19937_64* random, std::uint64_t seed,
              const RunOptions& options) {
  RunResult result;
  dorvtest::TempDir top("dorv-sim");
  World world(top.path());
  Model model;
  std::string why;
  if (!WaitQuiet(world, why)) {
    result.violations.push_back({kConverged, "the engines never settled after their first start (" + why + ")"});
    return result;
  }
  const int count = recorded ? static_cast<int>(recorded->size()) : options.steps;
  int nextQuiet = options.quietEvery;
  for (int i = 0; i < count && result.violations.empty(); ++i) {
    Step step;
    if (recorded) {
      step = (*recorded)[i];
    } else {
      step = ChooseStep(world, *random, TagOf(seed, i));
      ++result.randomSteps;
    }
    Pause(step.pauseMs);
    const int index = static_cast<int>(result.steps.size());
    if (options.verbose) std::cerr << "  step " << index << ": " << Describe(step) << "\n";
    result.steps.push_back(step);
    if (step.op == Op::Quiesce) {
      result.violations = Quiesce(world, model, options.verbose);
    } else {
      ApplyStep(world, model, step, index);
      result.violations = CrashCheck(world);
    }
    if (!recorded && result.violations.empty() && (i + 1 == nextQuiet || i + 1 == count)) {
      Step quiet;
      quiet.op = Op::Quiesce;
      quiet.side = kService;
      result.steps.push_back(quiet);
      result.violations = Quiesce(world, model, options.verbose);
      const int third = std::max(1, options.quietEvery / 3);
      nextQuiet = i + 1 + options.quietEvery - third + static_cast<int>((*random)() % (2 * third + 1));
    }
    if (!result.violations.empty()) result.failedAt = static_cast<int>(result.steps.size()) - 1;
  }
  if (recorded && result.violations.empty() && (result.steps.empty() || result.steps.back().op != Op::Quiesce)) {
    result.violations = Quiesce(world, model, options.verbose);
    if (!result.violations.empty()) result.failedAt = static_cast<int>(result.steps.size()) - 1;
  }
  if (!result.violations.empty())
    for (Violation& v : result.violations)
      if (v.check != kNoCrash && v.check != kInsideRoots) v.text += world.engine(kA).Tail() + world.engine(kB).Tail();
  for (int side : {kA, kB}) {
    const std::string stop = world.engine(side).Stop();
    if (!stop.empty() && result.violations.empty()) {
      result.violations.push_back({kNoCrash, std::string("engine ") + SideName(side) + " " + stop});
      result.failedAt = static_cast<int>(result.steps.size()) - 1;
    }
  }
  if (!result.violations.empty()) KeepLogs(world);
  return result;
}

bool Shows(const RunResult& result, int check) {
  for (const Violation& v : result.violations)
    if (v.check == check) return true;
  return false;
}

}  // namespace

RunResult RunSeed(std::uint64_t seed, const RunOptions& options) {
  std::mt19937_64 random(seed);
  return Run(nullptr, &random, seed, options);
}

RunResult Replay(const std::vector<Step>& steps, const RunOptions& options) {
  return Run(&steps, nullptr, 0, options);
}

std::vector<Step> Shrink(const std::vector<Step>& steps, int check, int replays, const RunOptions& options) {
  std::vector<Step> current = steps;
  // The last step (the quiet point that found it) always stays.
  size_t parts = 2;
  while (replays > 0 && current.size() > 2) {
    const size_t body = current.size() - 1;
    const size_t chunk = (body + parts - 1) / parts;
    bool removed = false;
    for (size_t start = 0; start < body && replays > 0; start += chunk) {
      std::vector<Step> candidate(current.begin(), current.begin() + static_cast<long>(start));
      candidate.insert(candidate.end(), current.begin() + static_cast<long>(std::min(body, start + chunk)), current.end());
      const RunResult again = Replay(candidate, options);
      --replays;
      if (Shows(again, check)) {
        current.assign(again.steps.begin(), again.steps.begin() + again.failedAt + 1);
        if (current.back().op != Op::Quiesce) {
          Step quiet;
          quiet.op = Op::Quiesce;
          quiet.side = kService;
          current.push_back(quiet);
        }
        parts = std::max<size_t>(parts - 1, 2);
        removed = true;
        break;
      }
    }
    if (!removed) {
      if (chunk <= 1) break;
      parts = std::min(parts * 2, body);
    }
  }
  return current;
}

std::string Report(const RunResult& result) {
  static const char* names[] = {"", "trees differ", "content lost", "written outside the roots", "crash",
                                "copy no conflict explains"};
  std::ostringstream out;
  for (const Violation& v : result.violations) out << "violation (" << names[v.check] << "): " << v.text << "\n";
  out << "after step " << result.failedAt << " of " << result.steps.size() << "\n";
  return out.str();
}

}  // namespace simtest
