// The dump server as a process of its own, fed by hand: what a client sends is
// checked before it is used.
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <thread>

#include "CrashFixture.h"
#include "MinidumpReader.h"
#include "dump/CourierProtocol.h"

namespace crashtest {
namespace {

class CourierServerTest : public CrashTest {
 protected:
  void StartCourier(const std::string& name) {
    m_folder = (m_dir.path() / "Dump").string() + "/";
    m_pid = Spawn(ServerArguments(name));
    ASSERT_GT(m_pid, 0);
    m_socket = faultdump::CourierSocketPath(std::wstring(name.begin(), name.end()));
    ASSERT_FALSE(WaitForLogLine([](const std::string& l) { return l.rfind("serving ", 0) == 0; }).empty());
  }
  void TearDown() override {
    if (m_pid > 0) {
      ::kill(m_pid, SIGKILL);
      ::waitpid(m_pid, nullptr, 0);
    }
    CrashTest::TearDown();
  }
  std::vector<std::string> ServerArguments(const std::string& name) const {
    return {FAULTCOURIER_PROGRAM, "/ipcname", name, "/dumppath", m_folder, "/singleton"};
  }
  int Connect() { return faultdump::ConnectTo(m_socket.c_str()); }
  bool Register(int fd) {
    faultdump::RegisterRequest request;
    const char16_t info[] = u"ProductName\0Dorv\0";
    request.infoBytes = sizeof info;
    faultdump::Reply reply;
    return faultdump::SendAll(fd, &request, sizeof request) && faultdump::SendAll(fd, info, sizeof info) &&
           faultdump::ReceiveAll(fd, &reply, sizeof reply, 5000) && reply.ok == 1;
  }
  // True when the server closed the connection.
  static bool Closed(int fd) {
    char byte;
    faultdump::Reply reply;
    return !faultdump::ReceiveAll(fd, &reply, sizeof reply, 5000) && ::recv(fd, &byte, 1, MSG_DONTWAIT) == 0;
  }

  pid_t m_pid = -1;
  std::string m_folder;
  std::string m_socket;
};

TEST_F(CourierServerTest, RefusesOversizedRequestsAndServesOthers) {
  StartCourier("hand");
  // A registered client keeps the server up while the others come and go.
  int keeper = Connect();
  ASSERT_GE(keeper, 0);
  ASSERT_TRUE(Register(keeper));

  int hugeInfo = Connect();
  ASSERT_GE(hugeInfo, 0);
  faultdump::RegisterRequest big;
  big.infoBytes = 1u << 30;
  ASSERT_TRUE(faultdump::SendAll(hugeInfo, &big, sizeof big));
  EXPECT_TRUE(Closed(hugeInfo));
  ::close(hugeInfo);

  int hugeStack = Connect();
  ASSERT_GE(hugeStack, 0);
  ASSERT_TRUE(Register(hugeStack));
  faultdump::CrashRequest crash;
  crash.snapshot.stackSize = 0xFFFFFFFFu;
  ASSERT_TRUE(faultdump::SendAll(hugeStack, &crash, sizeof crash));
  EXPECT_TRUE(Closed(hugeStack));
  ::close(hugeStack);

  // A sound client is still served.
  int good = Connect();
  ASSERT_GE(good, 0);
  ASSERT_TRUE(Register(good));
  faultdump::CrashRequest request;
  request.snapshot.tid = 77;
  request.snapshot.signo = SIGBUS;
  const std::string stack(256, 's');
  const std::string maps = "00400000-00401000 r-xp 00000000 08:01 1 /opt/app\n";
  request.snapshot.stackStart = 0x7000;
  request.snapshot.stackSize = static_cast<uint32_t>(stack.size());
  request.snapshot.mapsSize = static_cast<uint32_t>(maps.size());
  std::memset(request.snapshot.osRelease, 'r', sizeof request.snapshot.osRelease);  // no NUL
  faultdump::Reply reply;
  ASSERT_TRUE(faultdump::SendAll(good, &request, sizeof request) &&
              faultdump::SendAll(good, stack.data(), stack.size()) &&
              faultdump::SendAll(good, maps.data(), maps.size()));
  ASSERT_TRUE(faultdump::ReceiveAll(good, &reply, sizeof reply, 5000));
  EXPECT_EQ(reply.ok, 1u);
  const fs::path file = m_folder + std::string(reply.dumpId, 36) + ".dmp";
  dorvtest::MinidumpFile dump = dorvtest::ReadMinidump(file);
  EXPECT_TRUE(dump.valid) << dump.error;
  EXPECT_EQ(dump.threadId, 77u);
  EXPECT_EQ(dump.exceptionCode, static_cast<uint32_t>(SIGBUS));
  EXPECT_EQ(dump.stack, stack);
  ASSERT_EQ(dump.modules.size(), 1u);
  EXPECT_EQ(dump.modules[0].name, "/opt/app");
  EXPECT_EQ(dump.modules[0].size, 0x1000u);
  EXPECT_EQ(dorvtest::ReadFile(fs::path(file).replace_extension(".txt")), "ProductName=Dorv\n");

  // With every registered client gone the server ends by itself.
  ::close(good);
  ::close(keeper);
  int status = 0;
  ASSERT_EQ(::waitpid(m_pid, &status, 0), m_pid);
  m_pid = -1;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(CourierServerTest, SecondSingletonLeavesTheNameToTheFirst) {
  StartCourier("single");
  int client = Connect();
  ASSERT_GE(client, 0);
  ASSERT_TRUE(Register(client));
  pid_t second = Spawn(ServerArguments("single"));
  ASSERT_GT(second, 0);
  int status = 0;
  ASSERT_EQ(::waitpid(second, &status, 0), second);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_FALSE(WaitForLogLine([](const std::string& l) { return l == "already serving single"; }).empty());
  // The first still serves.
  int other = Connect();
  ASSERT_GE(other, 0);
  EXPECT_TRUE(Register(other));
  ::close(other);
  ::close(client);
}

}  // namespace
}  // namespace crashtest

namespace crashtest {
namespace {

// The report form names the dump last; nothing but an existing ".dmp" file is
// reported, and the details go beside it.
using CourierReportTest = CrashTest;

TEST_F(CourierReportTest, WritesDetailsOnlyBesideADump) {
  const fs::path dump = m_dir / "abc.dmp";
  const fs::path other = m_dir / "notes";
  dorvtest::WriteFile(dump, "MDMP");
  dorvtest::WriteFile(other, "keep");
  struct Case {
    fs::path file;
    int exitCode;
  };
  for (const Case& c : {Case{dump, 0}, Case{other, 1}, Case{m_dir / "missing.dmp", 1}}) {
    pid_t pid = Spawn({FAULTCOURIER_PROGRAM, "/info", "ProductName:Dorv|Version:2000|", "/submiturl", "http://x/",
                       "/dumppath", c.file.string()});
    ASSERT_GT(pid, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == c.exitCode) << c.file;
  }
  EXPECT_EQ(dorvtest::ReadFile(m_dir / "abc.txt"), "ProductName=Dorv\nVersion=2000\nSubmitUrl=http://x/\n");
  EXPECT_FALSE(fs::exists(m_dir / "notes.txt"));
  EXPECT_EQ(dorvtest::ReadFile(other), "keep");
}

}  // namespace
}  // namespace crashtest
