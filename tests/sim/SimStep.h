#pragma once
// One recorded step of a simulation run. Steps are chosen at random against
// what a side sees at the time, then recorded with every value they need, so
// that a run can be replayed (and shrunk) step by step; a replayed step whose
// path is not there any more is skipped.
#include <cstdint>
#include <string>
#include <vector>

namespace simtest {

// A, B: the two devices' users at their sync folders. W: another party
// changing the service through the admin API (the web page).
enum Side : int { kA = 0, kB = 1, kW = 2, kService = 3 };

enum class Op {
  Write,       // create or overwrite in place
  Append,
  Truncate,
  AtomicSave,  // write a temporary file, rename it over
  Mkdir,
  Rename,      // within its folder (path -> to)
  Move,        // into another folder
  CaseRename,
  Delete,
  Swap,        // a file becomes a folder or the other way round
  Burst,       // many new files at once in a new folder
  Kill,
  Restart,
  Fault,       // a fault rule on the service (text)
  ServiceRestart,
  Quiesce,
};

struct Step {
  Op op = Op::Write;
  int side = kA;
  std::string path;
  std::string to;
  std::int64_t size = 0;  // bytes to write, or the length to truncate to
  std::uint64_t tag = 0;  // makes the content unique
  std::string text;       // the fault rule
  int pauseMs = 0;        // the user's pause before the step
};

std::string Describe(const Step& step);
const char* SideName(int side);

// The unique bytes of a write: a header naming the step, then filler.
std::string Content(std::uint64_t tag, std::int64_t size);
// Shorter than this, a truncated content would no longer be unique.
constexpr std::int64_t kHeaderBytes = 32;

}  // namespace simtest
