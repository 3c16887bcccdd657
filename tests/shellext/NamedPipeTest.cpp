// Named pipes and named shared memory of the layer, between threads of this process
// and with a child process, as the status cache and the Explorer extension use them.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <thread>

#include "win32/Windows.h"

namespace {

constexpr wchar_t kPipe[] = L"\\\\.\\pipe\\LayerTestPipe";

HANDLE MakeServer(DWORD instances = 1, DWORD mode = PIPE_TYPE_MESSAGE | PIPE_READMODE_BYTE | PIPE_WAIT) {
  return CreateNamedPipeW(kPipe, PIPE_ACCESS_DUPLEX, mode, instances, 4096, 4096, 500, nullptr);
}

HANDLE OpenClient() {
  return CreateFileW(kPipe, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

TEST(NamedPipeTest, OneRequestAndReplyPerConnectionKeepMessageBoundaries) {
  HANDLE server = MakeServer();
  ASSERT_NE(server, INVALID_HANDLE_VALUE);
  std::thread serving([&] {
    for (int round = 0; round < 2; ++round) {
      ASSERT_TRUE(ConnectNamedPipe(server, nullptr));
      char request[600];
      DWORD read = 0;
      ASSERT_TRUE(ReadFile(server, request, sizeof request, &read, nullptr));
      std::string reply = "re:" + std::string(request, read);
      DWORD written = 0;
      ASSERT_TRUE(WriteFile(server, reply.data(), static_cast<DWORD>(reply.size()), &written, nullptr));
      ASSERT_TRUE(FlushFileBuffers(server));
      ASSERT_TRUE(DisconnectNamedPipe(server));
    }
  });
  for (std::string text : {"first", "second"}) {
    ASSERT_TRUE(WaitNamedPipeW(kPipe, 1000));
    HANDLE client = OpenClient();
    ASSERT_NE(client, INVALID_HANDLE_VALUE);
    DWORD written = 0, read = 0;
    ASSERT_TRUE(WriteFile(client, text.data(), static_cast<DWORD>(text.size()), &written, nullptr));
    char reply[64];
    ASSERT_TRUE(ReadFile(client, reply, sizeof reply, &read, nullptr));
    EXPECT_EQ(std::string(reply, read), "re:" + text);
    // The server disconnected: the pipe's end is broken now.
    EXPECT_FALSE(ReadFile(client, reply, sizeof reply, &read, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_BROKEN_PIPE);
    CloseHandle(client);
  }
  serving.join();
  CloseHandle(server);
}

TEST(NamedPipeTest, NoServerBusyInstanceAndTimeOut) {
  SetLastError(0);
  EXPECT_FALSE(WaitNamedPipeW(kPipe, 1000));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(OpenClient(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

  HANDLE server = MakeServer();
  ASSERT_NE(server, INVALID_HANDLE_VALUE);
  EXPECT_EQ(MakeServer(), INVALID_HANDLE_VALUE) << "one instance only";
  EXPECT_EQ(GetLastError(), ERROR_PIPE_BUSY);
  HANDLE first = OpenClient();
  ASSERT_NE(first, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(ConnectNamedPipe(server, nullptr));
  // The one instance serves the first client: the next one finds it busy.
  EXPECT_FALSE(WaitNamedPipeW(kPipe, 30));
  EXPECT_EQ(GetLastError(), ERROR_SEM_TIMEOUT);
  EXPECT_EQ(OpenClient(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PIPE_BUSY);
  EXPECT_FALSE(ConnectNamedPipe(server, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_PIPE_CONNECTED);
  CloseHandle(first);
  EXPECT_FALSE(ConnectNamedPipe(server, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_NO_DATA) << "the client has gone";
  ASSERT_TRUE(DisconnectNamedPipe(server));
  EXPECT_TRUE(WaitNamedPipeW(kPipe, NMPWAIT_USE_DEFAULT_WAIT));
  CloseHandle(server);
  EXPECT_FALSE(WaitNamedPipeW(kPipe, 1000));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(NamedPipeTest, ReadModesPeekAndWritesToAGoneClient) {
  HANDLE server = MakeServer(1, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT);
  ASSERT_NE(server, INVALID_HANDLE_VALUE);
  HANDLE client = OpenClient();
  ASSERT_NE(client, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(ConnectNamedPipe(server, nullptr));
  DWORD n = 0, available = 0;
  ASSERT_TRUE(PeekNamedPipe(client, nullptr, 0, nullptr, &available, nullptr));
  EXPECT_EQ(available, 0u);
  ASSERT_TRUE(WriteFile(client, "abcdef", 6, &n, nullptr));
  char part[4] = {};
  // Message mode: a short read keeps the rest of the message for the next one.
  EXPECT_FALSE(ReadFile(server, part, 4, &n, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_MORE_DATA);
  EXPECT_EQ(std::string(part, n), "abcd");
  ASSERT_TRUE(ReadFile(server, part, 4, &n, nullptr));
  EXPECT_EQ(std::string(part, n), "ef");
  ASSERT_TRUE(WriteFile(server, "xyz", 3, &n, nullptr));
  ASSERT_TRUE(PeekNamedPipe(client, nullptr, 0, nullptr, &available, nullptr));
  EXPECT_EQ(available, 3u);
  CloseHandle(client);
  EXPECT_FALSE(WriteFile(server, "late", 4, &n, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_NO_DATA);
  CloseHandle(server);
}

TEST(NamedPipeTest, AClientThatClosesAtOnceWakesTheServerWithABrokenPipe) {
  HANDLE server = MakeServer();
  ASSERT_NE(server, INVALID_HANDLE_VALUE);
  DWORD readError = 0;
  std::thread serving([&] {
    ASSERT_TRUE(ConnectNamedPipe(server, nullptr));
    char request[524];
    DWORD n = 0;
    EXPECT_FALSE(ReadFile(server, request, sizeof request, &n, nullptr));
    readError = GetLastError();
  });
  // As a server's owner wakes it at exit: open (overlapped, as it may) and close.
  ASSERT_TRUE(WaitNamedPipeW(kPipe, 1000));
  HANDLE wake = CreateFileW(kPipe, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED,
                            nullptr);
  ASSERT_NE(wake, INVALID_HANDLE_VALUE);
  CloseHandle(wake);
  serving.join();
  EXPECT_EQ(readError, ERROR_BROKEN_PIPE);
  CloseHandle(server);
}

// The blocking waits: a client in another process that waits for the one busy
// instance gets in once the server lets the first client go; a wait for input
// ends with the other end's message, or with its close.
TEST(NamedPipeTest, WaitsEndWhenAnInstanceIsFreedOrTheOtherEndWritesOrCloses) {
  HANDLE server = MakeServer();
  ASSERT_NE(server, INVALID_HANDLE_VALUE);
  HANDLE first = OpenClient();
  ASSERT_NE(first, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(ConnectNamedPipe(server, nullptr));
  pid_t child = fork();
  if (child == 0) {
    bool ok = WaitNamedPipeW(kPipe, 20000);
    HANDLE pipe = ok ? OpenClient() : INVALID_HANDLE_VALUE;
    DWORD n = 0;
    char reply[8] = {};
    ok = pipe != INVALID_HANDLE_VALUE && WriteFile(pipe, "ping", 4, &n, nullptr) &&
         win32::WaitForPipeInput(pipe, 20000) && ReadFile(pipe, reply, sizeof reply, &n, nullptr) &&
         std::string(reply, n) == "pong";
    _exit(ok ? 0 : 1);
  }
  EXPECT_FALSE(win32::WaitForPipeInput(server, 0));
  EXPECT_EQ(GetLastError(), ERROR_SEM_TIMEOUT);
  DWORD n = 0;
  ASSERT_TRUE(WriteFile(first, "one", 3, &n, nullptr));
  ASSERT_TRUE(win32::WaitForPipeInput(server, 20000));
  char request[8];
  ASSERT_TRUE(ReadFile(server, request, sizeof request, &n, nullptr));
  EXPECT_EQ(std::string(request, n), "one");
  CloseHandle(first);
  ASSERT_TRUE(win32::WaitForPipeInput(server, 20000)) << "the close wakes the wait";
  EXPECT_FALSE(ReadFile(server, request, sizeof request, &n, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_BROKEN_PIPE);
  ASSERT_TRUE(DisconnectNamedPipe(server));  // lets the waiting child in

  ASSERT_TRUE(ConnectNamedPipe(server, nullptr));
  ASSERT_TRUE(win32::WaitForPipeInput(server, 20000));
  ASSERT_TRUE(ReadFile(server, request, sizeof request, &n, nullptr));
  EXPECT_EQ(std::string(request, n), "ping");
  ASSERT_TRUE(WriteFile(server, "pong", 4, &n, nullptr));
  ASSERT_TRUE(FlushFileBuffers(server));
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  CloseHandle(server);
}

TEST(NamedPipeTest, AClientInAnotherProcess) {
  HANDLE server = MakeServer();
  ASSERT_NE(server, INVALID_HANDLE_VALUE);
  pid_t child = fork();
  if (child == 0) {
    bool ok = WaitNamedPipeW(kPipe, 2000);
    HANDLE pipe = ok ? OpenClient() : INVALID_HANDLE_VALUE;
    DWORD n = 0;
    char reply[8] = {};
    ok = pipe != INVALID_HANDLE_VALUE && WriteFile(pipe, "ping", 4, &n, nullptr) &&
         ReadFile(pipe, reply, sizeof reply, &n, nullptr) && std::string(reply, n) == "pong";
    _exit(ok ? 0 : 1);
  }
  ASSERT_TRUE(ConnectNamedPipe(server, nullptr));
  char request[8];
  DWORD n = 0;
  ASSERT_TRUE(ReadFile(server, request, sizeof request, &n, nullptr));
  EXPECT_EQ(std::string(request, n), "ping");
  ASSERT_TRUE(WriteFile(server, "pong", 4, &n, nullptr));
  ASSERT_TRUE(FlushFileBuffers(server));
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  CloseHandle(server);
}

TEST(FileMappingTest, SharedBetweenProcessesAndGoneWithTheLastHolder) {
  constexpr wchar_t kName[] = L"LayerTestMapping";
  EXPECT_EQ(OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, kName), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 522, kName);
  ASSERT_NE(mapping, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  auto* view = static_cast<BYTE*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 522));
  ASSERT_NE(view, nullptr);
  for (int i = 0; i < 522; ++i) ASSERT_EQ(view[i], 0) << "new memory is zero";
  std::memcpy(view, "shared", 7);
  EXPECT_EQ(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 523), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);

  pid_t child = fork();
  if (child == 0) {
    HANDLE opened = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, kName);
    auto* seen = opened ? static_cast<char*>(MapViewOfFile(opened, FILE_MAP_ALL_ACCESS, 0, 0, 522)) : nullptr;
    bool ok = seen && std::strcmp(seen, "shared") == 0;
    if (seen) seen[520] = 1;
    _exit(ok ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(view[520], 1) << "the child's write is seen";

  HANDLE again = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 522, kName);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  CloseHandle(again);
  CloseHandle(mapping);
  // The view still holds the name.
  HANDLE held = OpenFileMappingW(FILE_MAP_READ, FALSE, kName);
  ASSERT_NE(held, nullptr);
  CloseHandle(held);
  EXPECT_TRUE(UnmapViewOfFile(view));
  EXPECT_FALSE(UnmapViewOfFile(view));
  EXPECT_EQ(OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, kName), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

}  // namespace
