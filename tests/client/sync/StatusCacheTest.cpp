// The status cache against a real sync folder, a real pipe with clients written
// from the wire format (raw bytes), the real shared memory and the recorded shell
// change notices.
#include <gtest/gtest.h>

#include <set>

#include <atomic>
#include <chrono>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include "client/core/account/AccountData.h"
#include "client/sync/status/CStatusCache.h"
#include "common/MutiLanSupport.h"
#include "shellext/ShellExtKind.h"
#include "TempDir.h"
#include "win32/ManualClock.h"
#include "win32/Windows.h"

namespace {

constexpr wchar_t kPipe[] = L"\\\\.\\pipe\\DorvCache";
constexpr wchar_t kMapping[] = L"DorvShellFileMappingObject";
constexpr int kRefreshPeriodMs = 600000;

// The refresher's period comes from the string table; a long one keeps its queue
// still while a test looks at it.
void LoadRefreshPeriod() {
  static bool loaded = [] {
    dorvtest::TempDir dir("strings");
    dorvtest::WriteFile(dir / "gdstrings.ini", "STRID_REFRSH_RATE=" + std::to_string(kRefreshPeriodMs) + "\n");
    return Common::CMutiLanSupport::GetInstance()->LoadStringTable(CString((dir / "gdstrings.ini").wstring()));
  }();
  ASSERT_TRUE(loaded);
}

// The request's bytes as the extension writes them: kind (uint32 LE), then 260
// UTF-16LE code units of path, NUL-terminated.
std::string RequestBytes(uint32_t kind, const std::wstring& path) {
  std::string bytes(524, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((kind >> (8 * i)) & 0xFF);
  std::string text = WideToUtf16LE(path);
  std::memcpy(&bytes[4], text.data(), std::min<size_t>(text.size(), 518));
  return bytes;
}

uint32_t LittleEndian32(const unsigned char* bytes) {
  return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

HANDLE ConnectPipe() {
  auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < giveUp) {
    if (!WaitNamedPipeW(kPipe, 1000)) continue;
    HANDLE pipe = CreateFileW(kPipe, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (pipe != INVALID_HANDLE_VALUE) return pipe;
  }
  return INVALID_HANDLE_VALUE;
}

struct WireReply {
  bool ok = false;
  uint32_t flags = 0, state = 0;
};

// One exchange of a well-behaved client.
WireReply Ask(uint32_t kind, const std::wstring& path) {
  WireReply reply;
  HANDLE pipe = ConnectPipe();
  if (pipe == INVALID_HANDLE_VALUE) return reply;
  std::string request = RequestBytes(kind, path);
  DWORD written = 0, read = 0;
  unsigned char bytes[8] = {};
  if (WriteFile(pipe, request.data(), 524, &written, nullptr) && written == 524 &&
      ReadFile(pipe, bytes, sizeof bytes, &read, nullptr) && read == 8) {
    reply = {true, LittleEndian32(bytes), LittleEndian32(bytes + 4)};
  }
  CloseHandle(pipe);
  return reply;
}

std::string ReadText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class StatusCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadRefreshPeriod();
    root = m_dir.path() / "Sync";
    std::filesystem::create_directories(root / "a" / "b");
    dorvtest::WriteFile(root / "a" / "f1.txt", "1");
    dorvtest::WriteFile(root / "a" / "f2.txt", "2");
    dorvtest::WriteFile(root / "a" / "b" / "g.txt", "3");
    dorvtest::WriteFile(root / "top.txt", "4");
    cache = std::make_unique<CStatusCache>();
  }
  void TearDown() override { cache.reset(); }

  juce::String P(const std::string& relative) const {
    return juce::String((relative.empty() ? root : root / relative).string());
  }
  std::wstring W(const std::string& relative) const { return (relative.empty() ? root : root / relative).wstring(); }

  // The root and its folders recorded as in step, as the start-up walk leaves them.
  void RecordTree() {
    cache->PublishRoot(P(""));
    cache->SetPathStatus(P("a"), 1);
    cache->SetPathStatus(P("a/b"), 1);
    for (auto* file : {"a/f1.txt", "a/f2.txt", "a/b/g.txt", "top.txt"}) cache->SetPathStatus(P(file), 1);
  }

  dorvtest::TempDir m_dir{"statuscache"};
  std::filesystem::path root;
  std::unique_ptr<CStatusCache> cache;
};

TEST_F(StatusCacheTest, AFileInTransferMarksItsFoldersUpToTheRootAndBackAgain) {
  RecordTree();
  cache->SetPathStatus(P("a/b/g.txt"), 2);
  for (auto* folder : {"a/b", "a", ""}) EXPECT_EQ(cache->GetRecordedFolderState(P(folder)), 2) << folder;
  cache->SetPathStatus(P("a/b/g.txt"), 1);
  for (auto* folder : {"a/b", "a", ""}) EXPECT_EQ(cache->GetRecordedFolderState(P(folder)), 1) << folder;
  // An error stays on its folders while nothing is in transfer.
  cache->SetPathStatus(P("a/f1.txt"), 3);
  EXPECT_EQ(cache->GetRecordedFolderState(P("a")), 3);
  EXPECT_EQ(cache->GetRecordedFolderState(P("")), 3);
}

TEST_F(StatusCacheTest, AFolderShowsWhatTheChildThatChangedAsks) {
  RecordTree();
  cache->SetPathStatus(P("a/f1.txt"), 3);
  cache->SetPathStatus(P("a/b/g.txt"), 2);  // the sub-folder's change: 2 wins
  EXPECT_EQ(cache->GetRecordedFolderState(P("a")), 2);
  cache->SetPathStatus(P("a/f2.txt"), 1);  // a file's change: the files' 3 wins
  EXPECT_EQ(cache->GetRecordedFolderState(P("a")), 3);
}

TEST_F(StatusCacheTest, MissingPathsAndPathsOutsideKnownFoldersRecordNothing) {
  RecordTree();
  cache->SetPathStatus(P("a/gone.txt"), 2);
  cache->SetPathStatus(P("gone-folder/x.txt"), 2);
  EXPECT_EQ(cache->GetRecordedFileState(P("a/gone.txt")), -1);
  EXPECT_EQ(cache->GetRecordedFolderState(P("gone-folder")), -1);
  EXPECT_EQ(cache->GetRecordedFolderState(P("a")), 1);
}

TEST_F(StatusCacheTest, RenamingAFolderKeepsTheStatesBelowAndShowsItInTransfer) {
  RecordTree();
  cache->SetPathStatus(P("a/f1.txt"), 3);
  cache->SetPathStatus(P("a/b/g.txt"), 1);
  std::filesystem::rename(root / "a", root / "c");
  cache->RenamePath(P("a"), P("c"));
  EXPECT_EQ(cache->GetRecordedFolderState(P("a")), -1);
  EXPECT_EQ(cache->GetRecordedFolderState(P("a/b")), -1);
  EXPECT_EQ(cache->GetRecordedFolderState(P("c")), 2);
  EXPECT_EQ(cache->GetRecordedFileState(P("c/f1.txt")), 3);
  EXPECT_EQ(cache->GetRecordedFolderState(P("c/b")), 1);
  EXPECT_EQ(cache->GetRecordedFileState(P("c/b/g.txt")), 1);
  EXPECT_EQ(cache->GetRecordedFolderState(P("")), 2);
  // A renamed file is in transfer under its new name only.
  std::filesystem::rename(root / "top.txt", root / "top2.txt");
  cache->RenamePath(P("top.txt"), P("top2.txt"));
  EXPECT_EQ(cache->GetRecordedFileState(P("top.txt")), -1);
  EXPECT_EQ(cache->GetRecordedFileState(P("top2.txt")), 2);
}

TEST_F(StatusCacheTest, RemovingAFolderForgetsItsWholeTreeAndItsParentRecovers) {
  RecordTree();
  cache->SetPathStatus(P("a/b/g.txt"), 2);
  ASSERT_EQ(cache->GetRecordedFolderState(P("")), 2);
  std::filesystem::remove_all(root / "a");
  cache->RemovePath(P("a"));
  EXPECT_EQ(cache->GetRecordedFolderState(P("a")), -1);
  EXPECT_EQ(cache->GetRecordedFolderState(P("a/b")), -1);
  EXPECT_EQ(cache->GetRecordedFolderState(P("")), 1);
  cache->SetPathStatus(P("top.txt"), 3);
  std::filesystem::remove(root / "top.txt");
  cache->RemovePath(P("top.txt"));
  EXPECT_EQ(cache->GetRecordedFileState(P("top.txt")), -1);
  EXPECT_EQ(cache->GetRecordedFolderState(P("")), 1);
}

TEST_F(StatusCacheTest, RequestsAreAnsweredFromTheRecords) {
  RecordTree();
  cache->SetPathStatus(P("a/f1.txt"), 3);
  struct Case {
    uint32_t kind;
    std::wstring path;
    uint32_t flags, state;
  } cases[] = {
      {1, W("a/f1.txt"), 4, 3},      // a recorded file
      {2, W("a"), 4, 3},             // a recorded folder
      {2, W("a/none"), 0, 1},        // a folder without record
      {1, W("a/none.txt"), 0, 1},    // a file without record
      {1, W("a"), 0, 1},             // a folder asked as a file
      {7, W("a/f1.txt"), 0, 1},      // an unknown kind
  };
  for (const auto& c : cases) {
    StatusPipeRequest request{};
    request.kind = c.kind;
    ASSERT_TRUE(PutWirePath(request.path, c.path));
    StatusPipeReply reply = cache->HandleStatusRequest(request);
    EXPECT_EQ(reply.flags, c.flags) << c.kind << " " << juce::String(c.path.c_str());
    EXPECT_EQ(reply.status, c.state) << c.kind << " " << juce::String(c.path.c_str());
  }
  // A path without its terminator names nothing.
  StatusPipeRequest full{};
  full.kind = 1;
  for (auto& unit : full.path) unit = u'x';
  StatusPipeReply reply = cache->HandleStatusRequest(full);
  EXPECT_EQ(reply.flags, 0u);
  EXPECT_EQ(reply.status, 1u);
}

TEST_F(StatusCacheTest, ClientsAskOverThePipeAndManyAtOnceAreAllAnswered) {
  RecordTree();
  cache->SetPathStatus(P("a/f1.txt"), 3);
  cache->SetPathStatus(P("a/b/g.txt"), 2);
  WireReply file = Ask(1, W("a/f1.txt"));
  ASSERT_TRUE(file.ok);
  EXPECT_EQ(file.flags, 4u);
  EXPECT_EQ(file.state, 3u);
  WireReply folder = Ask(2, W("a/b"));
  ASSERT_TRUE(folder.ok);
  EXPECT_EQ(folder.state, 2u);

  constexpr int kClients = 12, kEach = 15;
  std::atomic<int> right{0};
  std::vector<std::thread> clients;
  for (int c = 0; c < kClients; ++c) {
    clients.emplace_back([&, c] {
      for (int i = 0; i < kEach; ++i) {
        bool askFile = (c + i) % 2 == 0;
        WireReply r = askFile ? Ask(1, W("a/f1.txt")) : Ask(2, W("a/b"));
        if (r.ok && r.flags == 4 && r.state == (askFile ? 3u : 2u)) ++right;
      }
    });
  }
  for (auto& t : clients) t.join();
  EXPECT_EQ(right.load(), kClients * kEach);
  EXPECT_TRUE(cache->IsPipeServerRunning());
}

// Clients that connect and send nothing hold up no one: with the clock standing
// still none of them is let go, and a query is still answered at once.
TEST_F(StatusCacheTest, SilentClientsHoldUpNoOneElse) {
  RecordTree();
  cache->SetPathStatus(P("top.txt"), 3);
  win32::ManualClock clock;
  win32::ScopedClock use(clock);
  constexpr int kSilent = 40;
  std::vector<HANDLE> silent;
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (static_cast<int>(silent.size()) < kSilent && std::chrono::steady_clock::now() < giveUp) {
    // Between one client and the next instance the pipe may be busy for a moment.
    HANDLE pipe = CreateFileW(kPipe, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (pipe != INVALID_HANDLE_VALUE) {
      silent.push_back(pipe);
    } else {
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PIPE_BUSY));
      std::this_thread::yield();
    }
  }
  EXPECT_EQ(static_cast<int>(silent.size()), kSilent);
  if (static_cast<int>(silent.size()) == kSilent) {
    WireReply r = Ask(1, W("top.txt"));
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.state, 3u);
  }
  for (HANDLE pipe : silent) {
    EXPECT_FALSE(win32::WaitForPipeInput(pipe, 0)) << "a silent client was let go";
    CloseHandle(pipe);
  }
}

TEST_F(StatusCacheTest, BadClientsAreLetGoAndTheServerServesTheNext) {
  RecordTree();
  cache->SetPathStatus(P("top.txt"), 3);
  auto expectServed = [&](const char* after) {
    WireReply r = Ask(1, W("top.txt"));
    EXPECT_TRUE(r.ok) << after;
    EXPECT_EQ(r.state, 3u) << after;
    EXPECT_TRUE(cache->IsPipeServerRunning()) << after;
  };

  {  // connects and never sends, and stays
    HANDLE silent = ConnectPipe();
    ASSERT_NE(silent, INVALID_HANDLE_VALUE);
    expectServed("a silent client");
    char byte;
    DWORD read = 99;
    EXPECT_FALSE(ReadFile(silent, &byte, 1, &read, nullptr) && read > 0);  // it got no answer
    CloseHandle(silent);
  }
  {  // connects and closes without writing
    HANDLE quiet = ConnectPipe();
    ASSERT_NE(quiet, INVALID_HANDLE_VALUE);
    CloseHandle(quiet);
    expectServed("a client that closed at once");
  }
  for (size_t size : {size_t{10}, size_t{600}}) {  // short and over-long requests
    HANDLE bad = ConnectPipe();
    ASSERT_NE(bad, INVALID_HANDLE_VALUE);
    std::string bytes = RequestBytes(1, W("top.txt"));
    bytes.resize(size, 'z');
    DWORD written = 0, read = 0;
    ASSERT_TRUE(WriteFile(bad, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    char reply[8];
    EXPECT_FALSE(ReadFile(bad, reply, sizeof reply, &read, nullptr) && read > 0) << size;
    CloseHandle(bad);
    expectServed(size == 10 ? "a short request" : "an over-long request");
  }
  {  // sends its request and goes before the reply
    HANDLE gone = ConnectPipe();
    ASSERT_NE(gone, INVALID_HANDLE_VALUE);
    std::string bytes = RequestBytes(1, W("top.txt"));
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(gone, bytes.data(), 524, &written, nullptr));
    CloseHandle(gone);
    expectServed("a client gone mid-reply");
  }
}

// The Explorer extension itself, loaded as Explorer loads it, asks the cache
// through the shared root record and the pipe.
TEST_F(StatusCacheTest, TheExtensionShowsTheOverlayOfEachPathsState) {
  GetAccountData()->SetLoggedIn(true);
  RecordTree();
  cache->SetPathStatus(P("a/f1.txt"), 3);
  cache->SetPathStatus(P("a/b/g.txt"), 2);
  HMODULE module = LoadLibraryW(CString(DORV_SHELL_DLL));
  ASSERT_NE(module, nullptr);
  using GetClassObject = HRESULT (*)(REFCLSID, REFIID, void**);
  auto getClassObject = reinterpret_cast<GetClassObject>(GetProcAddress(module, "DllGetClassObject"));
  ASSERT_NE(getClassObject, nullptr);
  IShellIconOverlayIdentifier* overlays[3] = {};
  for (int kind = 0; kind < 3; ++kind) {
    IClassFactory* factory = nullptr;
    ASSERT_EQ(getClassObject(kShellExtKinds[kind].clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IShellIconOverlayIdentifier, reinterpret_cast<void**>(&overlays[kind])),
              S_OK);
    factory->Release();
  }
  auto overlayOf = [&](const std::wstring& path) {
    int shown = -1;
    for (int kind = 0; kind < 3; ++kind) {
      if (overlays[kind]->IsMemberOf(path.c_str(), 0) == S_OK) {
        EXPECT_EQ(shown, -1) << "two overlays";
        shown = kind;
      }
    }
    return shown;
  };
  EXPECT_EQ(overlayOf(W("a/f1.txt")), kShellExtError);
  EXPECT_EQ(overlayOf(W("a/b/g.txt")), kShellExtUpload);
  EXPECT_EQ(overlayOf(W("a/b")), kShellExtUpload);
  EXPECT_EQ(overlayOf(W("top.txt")), kShellExtNormal);
  EXPECT_EQ(overlayOf(W("")), kShellExtUpload);
  EXPECT_EQ(overlayOf(m_dir.path().wstring()), -1);  // outside the root
  cache->ReleaseRoot();  // paused: no overlays
  EXPECT_EQ(overlayOf(W("a/f1.txt")), -1);
  for (auto* overlay : overlays) overlay->Release();
}

TEST_F(StatusCacheTest, TheCacheEndsWhileAClientHoldsTheServerAndTheNextCacheServesAgain) {
  HANDLE silent = ConnectPipe();
  ASSERT_NE(silent, INVALID_HANDLE_VALUE);
  cache.reset();  // returns: the server lets the silent client go and sees the stop
  CloseHandle(silent);
  cache = std::make_unique<CStatusCache>();
  RecordTree();
  cache->SetPathStatus(P("top.txt"), 3);
  WireReply r = Ask(1, W("top.txt"));
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.state, 3u);
}

TEST_F(StatusCacheTest, TheSharedRecordFollowsPublishPauseAndSignOut) {
  GetAccountData()->SetLoggedIn(true);
  cache->PublishRoot(P("") + "/");
  int state = 0;
  EXPECT_TRUE(cache->GetRootStatus(state));
  EXPECT_EQ(state, 1);

  // The reader keeps its handle and view, as a reader in the middle of a look would.
  HANDLE mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, kMapping);
  ASSERT_NE(mapping, nullptr);
  auto* view = static_cast<const unsigned char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 522));
  ASSERT_NE(view, nullptr);
  std::string rootBytes = WideToUtf16LE(W(""));
  auto rootInRecord = [&] {
    return std::memcmp(view, rootBytes.data(), rootBytes.size()) == 0 && view[rootBytes.size()] == 0 &&
           view[rootBytes.size() + 1] == 0;
  };
  EXPECT_TRUE(rootInRecord());  // without the trailing separator
  EXPECT_EQ(view[520], 0);
  EXPECT_EQ(view[521], 0);

  cache->ReleaseRoot();  // paused while signed in
  EXPECT_TRUE(rootInRecord());
  EXPECT_EQ(view[520], 1);
  EXPECT_FALSE(cache->GetRootStatus(state));

  cache->PublishRoot(P(""));  // resumed
  EXPECT_EQ(view[520], 0);

  GetAccountData()->SetLoggedIn(false);
  cache->ReleaseRoot();  // signed out
  for (int i = 0; i < 522; ++i) ASSERT_EQ(view[i], 0) << i;
  UnmapViewOfFile(view);
  CloseHandle(mapping);
  EXPECT_EQ(OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, kMapping), nullptr);  // the name is gone
}

TEST_F(StatusCacheTest, PublishingWritesTheRootsDesktopIni) {
  cache->PublishRoot(P(""));
  wchar_t program[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  EXPECT_EQ(ReadText(root / "desktop.ini"), "[.ShellClassInfo]\r\nIconFile=" + WideToUtf8(program) +
                                                "\r\nIconIndex=-1003\r\nInfoTip=Dorv files\r\n");
  // The program's own file, whatever the umask; publishing again keeps it so.
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(std::filesystem::status(root / "desktop.ini").permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    cache->PublishRoot(P(""));
  }
  // The root stays writable for sync.
  EXPECT_NO_THROW(dorvtest::WriteFile(root / "after.txt", "x"));
  EXPECT_TRUE(std::filesystem::exists(root / "after.txt"));
}

TEST_F(StatusCacheTest, AChangedPathQueuesItsFoldersUpToTheRootOnceEach) {
  RecordTree();
  // The refresher's queue is drained only once per (long) period: the folders
  // queued before move to the newest places instead of being queued again.
  for (int change = 0; change < 2; ++change) cache->SetPathStatus(P("a/b/g.txt"), 2 + change);
  auto after = cache->Refresher().QueuedPaths();
  ASSERT_GE(after.size(), 4u);
  std::vector<CString> newest(std::prev(after.end(), 4), after.end());
  std::vector<CString> expected = {CString(W("a/b/g.txt")), CString(W("a/b")), CString(W("a")), CString(W(""))};
  EXPECT_EQ(newest, expected);
  std::set<std::wstring> distinct;
  for (const CString& path : after) EXPECT_TRUE(distinct.insert(path.str()).second) << "queued twice";
}

// The refresher alone, on a clock the test moves.
TEST(ExplorerRefresherTest, TheFirstTickSendsNothingAndAPathIsNotifiedOncePerTick) {
  LoadRefreshPeriod();
  dorvtest::TempDir dir("refresher");
  std::filesystem::create_directories(dir / "Sync" / "sub" / "deeper");
  dorvtest::WriteFile(dir / "Sync" / "sub" / "file.txt", "x");
  CString rootPath((dir / "Sync").wstring());
  CString file((dir / "Sync" / "sub" / "file.txt").wstring());
  CString sub((dir / "Sync" / "sub").wstring());
  CString deeper((dir / "Sync" / "sub" / "deeper").wstring());

  win32::ManualClock clock;
  win32::ScopedClock use(clock);
  win32::ClearShellNotifications();
  CExplorerRefresher refresher;
  auto waitTicks = [&](int ticks) {
    auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (refresher.TickCount() < ticks && std::chrono::steady_clock::now() < giveUp) std::this_thread::yield();
    ASSERT_EQ(refresher.TickCount(), ticks);
  };

  refresher.QueueRefresh(file, false, rootPath.GetLength());
  clock.WaitForWaiters(1);
  clock.Advance(kRefreshPeriodMs);
  waitTicks(1);
  EXPECT_TRUE(win32::ShellNotifications().empty());

  for (int i = 0; i < 2; ++i) refresher.QueueRefresh(file, false, rootPath.GetLength());
  refresher.QueueRefresh(rootPath, true, rootPath.GetLength());
  clock.WaitForWaiters(1);
  clock.Advance(kRefreshPeriodMs);
  waitTicks(2);
  std::vector<win32::ShellNotification> changes = win32::ShellNotifications();
  std::map<std::wstring, win32::ShellNotification> byPath;
  for (const auto& change : changes) EXPECT_TRUE(byPath.emplace(change.path1, change).second) << change.path1.size();
  ASSERT_EQ(byPath.size(), 4u);  // the file, its folder, the root, and the folder below found by the walk
  EXPECT_EQ(byPath[file.str()].event, SHCNE_UPDATEITEM);
  EXPECT_EQ(byPath[file.str()].flags, SHCNF_PATHW | SHCNF_FLUSHNOWAIT);
  for (const CString& folder : {sub, rootPath, deeper}) {
    ASSERT_TRUE(byPath.count(folder.str()));
    EXPECT_EQ(byPath[folder.str()].event, SHCNE_CREATE);
    EXPECT_EQ(byPath[folder.str()].flags, SHCNF_PATHW);
  }
  EXPECT_TRUE(refresher.QueuedPaths().empty());

  // Nothing queued: the thread rests without a timer until a path comes.
  auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (clock.Waiters() != 0 && std::chrono::steady_clock::now() < giveUp) std::this_thread::yield();
  EXPECT_EQ(clock.Waiters(), 0u) << "the idle refresher still wakes every period";
  win32::ClearShellNotifications();
  refresher.QueueRefresh(file, false, rootPath.GetLength());
  clock.WaitForWaiters(1);
  clock.Advance(kRefreshPeriodMs);
  waitTicks(3);
  EXPECT_EQ(win32::ShellNotifications().size(), 3u);  // the file, its folder and the root
  refresher.Stop();
}

}  // namespace
