// A child binds the crash handler as the program does and crashes for real.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>

#include "CrashFixture.h"
#include "MinidumpReader.h"

namespace crashtest {
namespace {

std::string Folder(const dorvtest::TempDir& dir, const std::string& name) { return (dir.path() / name).string() + "/"; }

// The one dump in the folder, read back and checked for what every dump holds.
dorvtest::MinidumpFile OnlyDump(const std::string& folder, fs::path* file = nullptr) {
  std::vector<fs::path> dumps = DumpsIn(folder);
  EXPECT_EQ(dumps.size(), 1u) << folder;
  if (dumps.size() != 1) return {};
  if (file) *file = dumps[0];
  EXPECT_EQ(dumps[0].stem().string().size(), 36u);
  dorvtest::MinidumpFile dump = dorvtest::ReadMinidump(dumps[0]);
  EXPECT_TRUE(dump.valid) << dump.error;
  EXPECT_EQ(dump.version & 0xFFFF, 0xA793u);
  EXPECT_EQ(dump.architecture, 9);
  EXPECT_EQ(dump.platform, 0x8201u);
  EXPECT_EQ(dump.contextFlags, 0x10000Fu);
  EXPECT_EQ(dump.exceptionThread, dump.threadId);
  // The stack bytes start just below the stack pointer (above it, at the next
  // page, when the pointer ran into the guard page).
  EXPECT_TRUE(dump.stackStart + 128 == dump.rsp || (dump.stackStart > dump.rsp && dump.stackStart - dump.rsp <= 4096))
      << std::hex << dump.stackStart << " " << dump.rsp;
  EXPECT_GT(dump.stack.size(), 128u);
  EXPECT_FALSE(dump.modules.empty());
  return dump;
}

// The build id as binutils reads it.
std::string BuildIdByReadelf(const std::string& file) {
  std::string output;
  if (FILE* pipe = ::popen(("readelf -n '" + file + "'").c_str(), "r")) {
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    ::pclose(pipe);
  }
  const std::string key = "Build ID: ";
  size_t at = output.find(key);
  if (at == std::string::npos) return {};
  at += key.size();
  return output.substr(at, output.find('\n', at) - at);
}

bool DiedOf(int status, int signo) { return WIFSIGNALED(status) && WTERMSIG(status) == signo; }

using OutOfProcessCrashTest = CrashTest;

TEST_F(OutOfProcessCrashTest, ServerWritesTheDumpWithTheCustomInformation) {
  const std::string folder = Folder(m_dir, "Dump");
  std::vector<std::string> args{"out", "segv"};
  for (auto& p : ProgramParameters(folder, "halvorn-dorv")) args.push_back(p);
  // Custom information well past one 256-byte entry reaches the server whole.
  const std::string url = "http://crash.example/" + std::string(300, 'u');
  args.push_back("6=" + url);
  // A dump holds the process's memory: private with a usual umask, in the
  // handler's folder and the server's alike.
  const mode_t oldMask = ::umask(022);
  ChildResult child = RunChild(args);
  ::umask(oldMask);
  EXPECT_EQ(child.output, "started 1\n");
  EXPECT_TRUE(DiedOf(child.status, SIGSEGV)) << child.status;

  fs::path file;
  dorvtest::MinidumpFile dump = OnlyDump(folder, &file);
  EXPECT_EQ(dump.exceptionCode, static_cast<uint32_t>(SIGSEGV));
  EXPECT_EQ(dump.exceptionAddress, 0u);
  const dorvtest::MinidumpModule* at = dump.ModuleAt(dump.rip);
  ASSERT_NE(at, nullptr);
  EXPECT_EQ(fs::path(at->name).filename(), "FaultTrapChild");
  // The module carries the build id that the linker wrote into the file.
  EXPECT_EQ(at->buildId, BuildIdByReadelf(at->name));
  EXPECT_FALSE(at->buildId.empty());
  // The server wrote it, then reported it with the handler's details.
  EXPECT_EQ(dorvtest::ReadFile(fs::path(file).replace_extension(".txt")),
            "ProductName=Dorv\nVersion=2000\nBuildID=internal-test\nSubmitUrl=" + url + "\n");
  EXPECT_EQ(fs::status(folder).permissions(), fs::perms::owner_all);
  for (const fs::path& written : {file, fs::path(file).replace_extension(".txt")})
    EXPECT_EQ(fs::status(written).permissions(), fs::perms::owner_read | fs::perms::owner_write) << written;
  std::vector<std::string> log = CourierLog();
  EXPECT_NE(
      std::find(log.begin(), log.end(), "start /ipcname \"halvorn-dorv\" /dumppath \"" + folder + "\" /singleton "),
      log.end());
  EXPECT_NE(std::find(log.begin(), log.end(), "dump " + file.string()), log.end());
}

TEST_F(OutOfProcessCrashTest, ServerEndsWithItsClient) {
  const std::string folder = Folder(m_dir, "Dump");
  std::vector<std::string> args{"out", "exit"};
  for (auto& p : ProgramParameters(folder, "ends")) args.push_back(p);
  ChildResult child = RunChild(args);
  EXPECT_EQ(child.output, "started 1\n");
  EXPECT_TRUE(WIFEXITED(child.status) && WEXITSTATUS(child.status) == 0);
  EXPECT_EQ(WaitForLogLine([](const std::string& l) { return l == "end"; }), "end");
  EXPECT_TRUE(DumpsIn(folder).empty());
}

TEST_F(OutOfProcessCrashTest, WithoutServerTheDumpIsWrittenInProcess) {
  const std::string folder = Folder(m_dir, "Dump");
  std::vector<std::string> args{"out", "segv"};
  for (auto& p : ProgramParameters(folder, "nobody")) args.push_back(p);
  args.push_back("5=" + (m_dir.path() / "missing" / "FaultCourier.exe").string());
  ChildResult child = RunChild(args);
  EXPECT_EQ(child.output, "started 1\n");
  EXPECT_TRUE(DiedOf(child.status, SIGSEGV));
  dorvtest::MinidumpFile dump = OnlyDump(folder);
  EXPECT_EQ(dump.exceptionCode, static_cast<uint32_t>(SIGSEGV));
}

struct InProcessCase {
  const char* how;
  int signo;
  bool otherThread;
};

void PrintTo(const InProcessCase& c, std::ostream* out) { *out << c.how; }

class InProcessCrashTest : public CrashTest, public ::testing::WithParamInterface<InProcessCase> {};

TEST_P(InProcessCrashTest, DumpThenReporter) {
  const InProcessCase& c = GetParam();
  const std::string folder = Folder(m_dir, "Dump");
  std::vector<std::string> args{"in", c.how};
  for (auto& p : ProgramParameters(folder, "unused")) args.push_back(p);
  ChildResult child = RunChild(args);
  EXPECT_EQ(child.output, "started 1\n");
  EXPECT_TRUE(DiedOf(child.status, c.signo)) << child.status;

  fs::path file;
  dorvtest::MinidumpFile dump = OnlyDump(folder, &file);
  EXPECT_EQ(dump.exceptionCode, static_cast<uint32_t>(c.signo));
  // The main thread's id is the process's; another thread's differs.
  EXPECT_EQ(dump.threadId == static_cast<uint32_t>(child.pid), !c.otherThread);
  std::string expectedInfo =
      "ProductName:Dorv|Version:2000|BuildID:internal-test|FullPath:" + fs::canonical(FAULTTRAP_CHILD).string() + "|";
  const std::string start = WaitForLogLine([](const std::string& l) { return l.rfind("start ", 0) == 0; });
  EXPECT_EQ(start, "start /info \"" + expectedInfo + "\" /dumppath \"" + file.string() + "\"");
  EXPECT_EQ(WaitForLogLine([&](const std::string& l) { return l == "report " + file.string(); }),
            "report " + file.string());
  EXPECT_EQ(dorvtest::ReadFile(fs::path(file).replace_extension(".txt")),
            "ProductName=Dorv\nVersion=2000\nBuildID=internal-test\nFullPath=" +
                fs::canonical(FAULTTRAP_CHILD).string() + "\n");
  if (c.otherThread) {
    EXPECT_EQ(dump.ModuleAt(dump.rip) ? fs::path(dump.ModuleAt(dump.rip)->name).filename().string() : "",
              "FaultTrapChild");
  }
}

INSTANTIATE_TEST_SUITE_P(Signals, InProcessCrashTest,
                         ::testing::Values(InProcessCase{"segv", SIGSEGV, false},
                                           InProcessCase{"abort", SIGABRT, false}, InProcessCase{"fpe", SIGFPE, false},
                                           InProcessCase{"thread", SIGSEGV, true},
                                           InProcessCase{"overflow", SIGSEGV, false}),
                         [](const ::testing::TestParamInfo<InProcessCase>& info) {
                           return std::string(info.param.how);
                         });

TEST_F(InProcessCrashTest, LongDumpFolderAndEveryReporterOption) {
  // A folder name longer than the 251 characters the fixed room allowed for.
  std::string folder = m_dir.path().string() + "/";
  while (folder.size() < 250) folder += "d";
  folder += "/Dump/";
  ASSERT_GT(folder.size(), 251u);
  ASSERT_LT(folder.size(), 260u);
  std::vector<std::string> args{
      "in", "segv", "3=" + folder, "1=2000", "6=http://crash.example/submit", "9=a.log;b.log", "7=True"};
  ChildResult child = RunChild(args);
  EXPECT_EQ(child.output, "started 1\n");
  fs::path file;
  OnlyDump(folder, &file);
  EXPECT_EQ(WaitForLogLine([&](const std::string& l) { return l == "report " + file.string(); }),
            "report " + file.string());
  const std::string start = WaitForLogLine([](const std::string& l) { return l.rfind("start ", 0) == 0; });
  EXPECT_EQ(start, "start /info \"Version:2000|FullPath:" + fs::canonical(FAULTTRAP_CHILD).string() +
                       "|\" /submiturl \"http://crash.example/submit\" UploadFiles \"a.log;b.log\" /noui /dumppath \"" +
                       file.string() + "\"");
}

}  // namespace
}  // namespace crashtest
