// The main form as the engine and the shell see it: the tray icon that stands
// for the engine's state (with the syncing animation on the test clock), the
// overlay status of finished paths, the balloons of the engine's
// notifications and their clicks, the tray's status text and the web pages.
// Everything runs against the shipped theme's string table, the process's tray
// area and the launcher in record mode.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "TempDir.h"
#include "client/core/GlobalConfig.h"
#include "client/core/account/AccountData.h"
#include "client/core/context/GlobalContext.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/sync/status/CStatusCache.h"
#include "client/sync/status/SyncPathList.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "client/windows/AppMessages.h"
#include "client/windows/MainForm.h"
#include "client/windows/TableFormat.h"
#include "client/windows/TrayIcons.h"
#include "client/windows/TrayStatusTip.h"
#include "client/windows/WebLinks.h"
#include "common/AppPaths.h"
#include "common/MutiLanSupport.h"
#include "common/StringConvert.h"
#include "display/Desktop.h"
#include "net/CurlGlobal.h"
#include "ui/skin/UISkinManager.h"
#include "win32/Launcher.h"
#include "win32/ManualClock.h"
#include "win32/Windows.h"

namespace {

CString Str(const wchar_t* key) { return Common::CMutiLanSupport::GetInstance()->GetStringViaID(key); }

template <typename... Args>
CString Fmt(const wchar_t* key, const Args&... args) {
  CString text;
  text.Format(Str(key), args...);
  return text;
}

int CountLogLines(const std::string& text) {
  CString folder;
  Common::GetAppDataPath(folder);
  std::ifstream log(std::filesystem::path(folder.GetString()) / "dorv.log");
  int count = 0;
  for (std::string line; std::getline(log, line);)
    if (line.find(text) != std::string::npos) ++count;
  return count;
}

void Pump() { display::Desktop::Get().PumpUntilIdle(); }

// The process's clock for every test here. It outlives the tests: the status
// cache's threads, started by the first test that needs them, wait on it
// until the process ends.
win32::ManualClock& TestClock() {
  static auto* clock = [] {
    auto* installed = new win32::ManualClock();
    win32::SetClock(installed);
    return installed;
  }();
  return *clock;
}

class MainFormEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    const std::filesystem::path theme = std::filesystem::path(DORV_BIN_DIR) / "Theme" / "gdstrings.ini";
    TestClock();
    ASSERT_EQ(Common::CMutiLanSupport::GetInstance()->LoadStringTable(CString(theme.wstring().c_str())), 1);
    ASSERT_EQ(UI::CUISkinManager::GetInstance()->InitSkinData(), 1);
    InstallSyncEngine();
    GetGlobalContext()->CreateSyncLogic();
    win32::Launcher::SetMode(win32::Launcher::Mode::Record);
  }
};
const auto* const kEnvironment = testing::AddGlobalTestEnvironment(new MainFormEnvironment);

class MainFormTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(GetSyncLogic(), nullptr);
    m_tracker = GetSyncStatusTracker();
    m_tracker->Reset();
    GetSyncTipList()->Clear();
    GetAccountData()->SetLoggedIn(false);
    SetAccount("someone@halvorn.com");
    win32::Launcher::ClearRecorded();
    m_form = new CMainForm();
    ASSERT_EQ(m_form->Create(), 1);
  }
  void TearDown() override {
    if (m_rootSet) SyncRootFolder::GetInstance()->ClearRootPath();
    Pump();
    m_form->DestroyWindow();
    static_cast<UI::CUIControl*>(m_form)->Release();
    Pump();
  }

  static void SetAccount(const char* fullName) {
    AccountSnapshot snapshot;
    snapshot.FullName = fullName;
    snapshot.m_sPassword = "0123456789abcdef0123456789abcdef";
    GetAccountData()->SetSnapshot(snapshot);
  }

  win32::TrayIcon Tray() const {
    for (const win32::TrayIcon& icon : win32::TrayIcons())
      if (icon.window == m_form->m_hWnd && icon.id == kTrayIconId) return icon;
    ADD_FAILURE() << "the form's icon is not in the tray";
    return {};
  }
  size_t TrayCount() const {
    size_t count = 0;
    for (const win32::TrayIcon& icon : win32::TrayIcons()) count += icon.window == m_form->m_hWnd;
    return count;
  }
  void Notify(int type, const juce::String& a, const juce::String& b = {}) {
    m_form->NotifySyncEvent(SyncNotifyInfo{type, a, b});
  }
  void ClickBalloon() {
    m_form->SendMessage(WM_TRAY_CALLBACK, kTrayIconId, NIN_BALLOONUSERCLICK);
  }
  std::vector<win32::LaunchRequest> Launches() const { return win32::Launcher::Recorded(); }
  // The sync root the located files must lie in; cleared at the end of the test.
  void SetSyncRoot(const std::filesystem::path& root) {
    SyncRootFolder* record = SyncRootFolder::GetInstance();
    record->SetRootFolder(juce::String(root.string()), "0|0", record->GetFolderData());
    m_rootSet = true;
  }

  win32::ManualClock& m_clock = TestClock();
  CMainForm* m_form = nullptr;
  SyncStatusTracker* m_tracker = nullptr;
  bool m_rootSet = false;
};

// ---- Bandwidth -------------------------------------------------------------

// The settings keep kilobytes per second; the network library counts bytes.
TEST_F(MainFormTest, TheBandwidthLimitsReachTheNetworkLibraryInBytes) {
  GlobalConfig* config = GetGlobalConfig();
  config->m_bBandWidthLimit = 1;
  config->m_nUploadLimit = 100;
  config->m_nDownloadLimit = 250;
  m_form->SendMessage(WM_NOTIFY_BANDWIDTH_CHANGED, 0, 0);
  EXPECT_EQ(Net::detail::UploadSpeedLimit(), 100 * 1024);
  EXPECT_EQ(Net::detail::DownloadSpeedLimit(), 250 * 1024);
  config->m_bBandWidthLimit = 0;
  m_form->SendMessage(WM_NOTIFY_BANDWIDTH_CHANGED, 0, 0);
  EXPECT_EQ(Net::detail::UploadSpeedLimit(), -1);
  EXPECT_EQ(Net::detail::DownloadSpeedLimit(), -1);
  // A new start applies the stored limits before anything is transferred.
  config->m_bBandWidthLimit = 1;
  config->m_nUploadLimit = 9999;
  TearDown();
  SetUp();
  EXPECT_EQ(Net::detail::UploadSpeedLimit(), 9999 * 1024);
  config->m_bBandWidthLimit = 0;
  m_form->SendMessage(WM_NOTIFY_BANDWIDTH_CHANGED, 0, 0);
}

// ---- Tray icon ------------------------------------------------------------

TEST_F(MainFormTest, CreateInstallsTheOfflineIconAndHandsTheFormToTheEngine) {
  EXPECT_EQ(GetSyncNotifyUI(), static_cast<ISyncNotifyUI*>(m_form));
  win32::TrayIcon icon = Tray();
  EXPECT_EQ(icon.icon, LoadTrayIcon(IDI_TRAY_OFFLINE));
  EXPECT_EQ(icon.callbackMessage, WM_TRAY_CALLBACK);
  EXPECT_EQ(icon.tip, std::wstring(Str(L"STRID_TRAYICONTIPINFO_PLEASELOGIN").GetString()));
  EXPECT_GE(CountLogLines("InstallIcon Succeed !"), 1);
  // A second install while shown sends nothing; the shell's "TaskbarCreated"
  // removes and adds it again.
  EXPECT_FALSE(m_form->InstallIcon(L"x", LoadTrayIcon(IDI_TRAY_SYNCED), false));
  EXPECT_EQ(Tray().tip, icon.tip);
  const int reinstalled = CountLogLines("Reinstall TrayIcon,Result - 1");
  m_form->SendMessage(::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_EQ(TrayCount(), 1u);
  EXPECT_EQ(Tray().tip, L"");
  EXPECT_EQ(CountLogLines("Reinstall TrayIcon,Result - 1"), reinstalled + 1);
}

TEST_F(MainFormTest, TheReinstallTimerTriesUntilTheIconIsIn) {
  ASSERT_TRUE(m_form->RemoveIcon());
  // The area refuses the add while another record holds the form's icon id.
  NOTIFYICONDATAW holder{};
  holder.cbSize = sizeof holder;
  holder.hWnd = m_form->m_hWnd;
  holder.uID = kTrayIconId;
  ASSERT_TRUE(Shell_NotifyIconW(NIM_ADD, &holder));
  const int failed = CountLogLines("InstallIcon failed , Try again after 20 seconds");
  const int succeeded = CountLogLines("InstallIcon Succeed !");
  m_form->SendMessage(WM_TIMER, TIMER_REINSTALL_TRAY_ICON, 0);
  EXPECT_FALSE(m_form->IsTrayIconShown());
  EXPECT_EQ(CountLogLines("InstallIcon failed , Try again after 20 seconds"), failed + 1);
  ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &holder));
  m_form->SendMessage(WM_TIMER, TIMER_REINSTALL_TRAY_ICON, 0);
  EXPECT_TRUE(m_form->IsTrayIconShown());
  EXPECT_EQ(CountLogLines("InstallIcon Succeed !"), succeeded + 1);
  EXPECT_EQ(Tray().tip, std::wstring(Str(L"STRID_SYNDIRNOTFOUNDFORM_TIETLE").GetString()));
  EXPECT_EQ(Tray().icon, LoadTrayIcon(IDI_TRAY_OFFLINE));
}

TEST_F(MainFormTest, EachStateShowsItsIconAndSyncingAnimatesEvery125Ms) {
  for (int id : {130, 131, 135, 136}) {
    m_form->SetTrayIcon(id);
    EXPECT_EQ(Tray().icon, LoadTrayIcon(id)) << id;
  }
  m_form->SetTrayIcon(IDI_TRAY_SYNCING);
  EXPECT_EQ(Tray().icon, LoadTrayIcon(136));  // 132 itself is no image
  const int start = CMainForm::s_nTrayFrame;
  auto frame = [start](int step) { return LoadTrayIcon(IDI_TRAY_FRAME_FIRST + (start + step + 8) % 8); };
  m_clock.Advance(124);
  Pump();
  EXPECT_EQ(Tray().icon, LoadTrayIcon(136));
  for (int step = 1; step <= 3; ++step) {
    m_clock.Advance(step == 1 ? 1 : 125);
    Pump();
    EXPECT_EQ(Tray().icon, frame(step)) << step;
  }
  // Another state stops the animation and shows itself.
  m_form->SetTrayIcon(IDI_TRAY_SYNCED);
  m_clock.Advance(1000);
  Pump();
  EXPECT_EQ(Tray().icon, LoadTrayIcon(IDI_TRAY_SYNCED));
  // Started again, it goes on with the frame after the last one shown.
  m_form->SetTrayIcon(IDI_TRAY_SYNCING);
  m_clock.Advance(125);
  Pump();
  EXPECT_EQ(Tray().icon, frame(4));
  m_form->SetTrayIcon(IDI_TRAY_OFFLINE);
}

TEST_F(MainFormTest, ABalloonGoesDownAfterItsTimeHeldBetween10And30Seconds) {
  const struct {
    UINT elapse;
    ULONGLONG shownMs;
  } cases[] = {{0, 10000}, {20000, 20000}, {45000, 30000}, {static_cast<UINT>(-1), 30000}};
  for (const auto& c : cases) {
    ASSERT_TRUE(m_form->ShowBalloon(L"title", c.elapse, L"text", 2));
    EXPECT_EQ(Tray().balloonText, L"text");
    m_clock.Advance(c.shownMs - 1);
    Pump();
    EXPECT_EQ(Tray().balloonText, L"text") << c.elapse;
    m_clock.Advance(1);
    Pump();
    EXPECT_EQ(Tray().balloonText, L"") << c.elapse;
  }
  // Texts longer than the record's fields are cut; kind 7 keeps the last icon.
  const std::wstring title(70, L'T');
  m_form->ShowBalloon(title.c_str(), 0, L"text", 1);
  EXPECT_EQ(Tray().balloonTitle, title.substr(0, 63));
  EXPECT_EQ(Tray().balloonFlags, NIIF_ERROR);
  m_form->ShowBalloon(L"t", 0, L"text", 7);
  EXPECT_EQ(Tray().balloonFlags, NIIF_ERROR);
}

// ---- Path status ----------------------------------------------------------

TEST_F(MainFormTest, FinishedPathsGoIntoTheStatusCacheWithTheirLogLines) {
  dorvtest::TempDir dir("mainformstatus");
  const std::filesystem::path root = dir.path() / "Sync";
  std::filesystem::create_directories(root);
  std::ofstream(root / "done.txt") << "1";
  std::ofstream(root / "bad.txt") << "2";
  CStatusCache* cache = CStatusCache::GetInstance();
  const juce::String rootText(root.string());
  cache->PublishRoot(rootText);
  const juce::String done(root / "done.txt"), bad(root / "bad.txt");
  m_form->NotifyPathStatus(done, SYNC_PATH_SYNCED);
  m_form->NotifyPathStatus(bad, SYNC_PATH_FAILED);
  EXPECT_EQ(cache->GetRecordedFileState(done), CStatusCache::STATUS_NORMAL);
  EXPECT_EQ(cache->GetRecordedFileState(bad), CStatusCache::STATUS_ERROR);
  EXPECT_EQ(CountLogLines(("Path is " + done + ", status: dorv_status_normal").toStdString()), 1);
  EXPECT_EQ(CountLogLines(("Path is " + bad + ", status: dorv_status_error").toStdString()), 1);
  // Other states change nothing.
  m_form->NotifyPathStatus(bad, 1);
  EXPECT_EQ(cache->GetRecordedFileState(bad), CStatusCache::STATUS_ERROR);
  cache->ReleaseRoot();
}

// ---- Notifications --------------------------------------------------------

TEST_F(MainFormTest, EachNotificationShowsItsTextsKindAndTime) {
  const juce::String path = "/home/u/Sync/docs/report.doc";
  GetAccountData()->UpdateUserConfig([](UserConfigInfo& config) {
    config.UC_FilesTotalNumLimit = 5000;
    config.UC_TotalDirsNumLinit = 800;
  });
  const struct Case {
    int type;
    juce::String a, b;
    CString title, text;
    DWORD flags;
  } cases[] = {
      {0, path, "100", Str(L"STRID_TRAYICONNOTIFYINFO_TITLEFILESYNCFAILED"),
       Fmt(L"STRID_TRAYICONNOTIFYINFO_INFOFILETOOBIG", L"report.doc", L"100"), NIIF_ERROR},
      {1, path, "File", Str(L"STRID_TRAYICONNOTIFYINFO_TITLEFILESYNCFAILED"),
       Fmt(L"STRID_TRAYICONNOTIFYINFO_INFOFILEBEOCCUPIED", L"report.doc"), NIIF_ERROR},
      {1, path, "Folder", Str(L"STRID_TRAYICONNOTIFYINFO_TITLEFILESYNCFAILED"),
       Fmt(L"STRID_TRAYICONNOTIFYINFO_INFOFOLDERBEOCCUPIED", L"report.doc"), NIIF_ERROR},
      {4, {}, {}, Str(L"STRID_TRAYICONNOTIFYINFO_TITLESERVERERROR"), Str(L"STRID_TRAYICONNOTIFYINFO_INFOSERVERERROR"),
       NIIF_ERROR},
      {5, path, "/home/u/Sync/docs/old.doc", Str(L"STRID_TRAYICONNOTIFYINFO_TITLEFILERENAME"),
       Fmt(L"STRID_TRAYICONNOTIFYINFO_INFOFILERENAME", L"old.doc", L"report.doc") +
           Str(L"STRID_TRAYICONNOTIFYINFO_CLICKTOLOCATE"),
       NIIF_INFO},
      {6, path, {}, Str(L"STRID_TRAYICONNOTIFYINFO_TITLEFILEDELETE"),
       Fmt(L"STRID_TRAYICONNOTIFYINFO_INFOFILEDELETE", L"report.doc"), NIIF_INFO},
      {7, path, {}, Str(L"STRID_TRAYICONNOTIFYINFO_TITLEFILEMODIFY"),
       Fmt(L"STRID_TRAYICONNOTIFYINFO_INFOFILEMODIFY", L"report.doc") + Str(L"STRID_TRAYICONNOTIFYINFO_CLICKTOLOCATE"),
       NIIF_INFO},
      {14, "12", "0", Str(L"STRID_TRAYICONNOTIFYINFO_TITLEFILEADD"),
       Fmt(L"STRID_TRAYICONNOTIFYINFO_ADD_STATIC", L"12"), NIIF_INFO},
      {17, "2", "3", Str(L"STRID_TRAYICONNOTIFYINFO_TITLEFILERENAME"),
       Fmt(L"STRID_TRAYICONNOTIFYINFO_RENAMESTATICS_FILEANDFOLDER", L"2", L"3"), NIIF_INFO},
      {17, "2", "0", Str(L"STRID_TRAYICONNOTIFYINFO_TITLEFILERENAME"),
       Fmt(L"STRID_TRAYICONNOTIFYINFO_RENAMESTATICS_ONLYFILE", L"2"), NIIF_INFO},
      {17, "0", "3", Str(L"STRID_TRAYICONNOTIFYINFO_TITLEFILERENAME"),
       Fmt(L"STRID_TRAYICONNOTIFYINFO_RENAMESTATICS_ONLYFOLDER", L"3"), NIIF_INFO},
      {18, "0", "0", Str(L"STRID_TRAYICONNOTIFYINFO_TITLESYNCCOMPLETED"),
       Fmt(L"STRID_TRAYICONNOTIFYINFO_INFODOWNSTATICS_ONLYFOLDER", L"0"), NIIF_INFO},
      {19, path, {}, Str(L"STRID_TRAYICONNOTIFYINFO_TITLEEXCEEDFILENUMLIMIT"),
       Fmt(L"STRID_TRAYICONNOTIFYINFO_INFOEXCEEDFILENUMLIMIT", 5000, L"report.doc"), NIIF_ERROR},
      {24, {}, {}, Str(L"STRID_TRAYICONNOTIFYINFO_TITLENETERROR"), Str(L"STRID_TRAYICONNOTIFYINFO_INFONETERROR"),
       NIIF_ERROR},
      {28, {}, {}, Str(L"STRID_TRAYICONNOTIFYINFO_TITLEPROXYERROR"), Str(L"STRID_TRAYICONNOTIFYINFO_INFOPROXYERROR"),
       NIIF_ERROR},
      {25, "/home/u/Sync/a_very_long_file_name_indeed.document", "File",
       Str(L"STRID_TRAYICONNOTIFYINFO_TITLEFILESYNCFAILED"),
       Fmt(L"STRID_TRAYICONNOTIFYINFO_FILE_NAME_TOLONG",
           static_cast<LPCTSTR>(Common::String_To_CString(
               SyncHelper::ShortenFileName("a_very_long_file_name_indeed.document")))),
       NIIF_ERROR},
      {26, path, {}, Str(L"STRID_TRAYICONNOTIFYINFO_TITLEFILESYNCFAILED"),
       Fmt(L"STRID_TRAYICONNOTIFYINFO_FOLDER_EXCEEDNUMLIMIT", L"800", L"report.doc"), NIIF_ERROR},
      {27, path, "Folder", Str(L"STRID_TRAYICONNOTIFYINFO_TITLEFILESYNCFAILED"),
       Fmt(L"STRID_TRAYICONNOTIFYINFO_DOWN_FOLDER_PATH_TOLONG", L"report.doc"), NIIF_ERROR},
  };
  for (const Case& c : cases) {
    Notify(c.type, c.a, c.b);
    win32::TrayIcon icon = Tray();
    EXPECT_EQ(icon.balloonTitle, std::wstring(c.title.GetString())) << c.type;
    EXPECT_EQ(icon.balloonText, std::wstring(c.text.GetString()).substr(0, 255)) << c.type;
    EXPECT_FALSE(icon.balloonText.empty()) << c.type;
    EXPECT_EQ(icon.balloonFlags, c.flags) << c.type;
  }
  // The file-change balloons stay 10 s, the failures 30 s.
  Notify(7, path);
  m_clock.Advance(10000);
  Pump();
  EXPECT_EQ(Tray().balloonText, L"");
  Notify(2, path);
  m_clock.Advance(29999);
  Pump();
  EXPECT_NE(Tray().balloonText, L"");
  m_clock.Advance(1);
  Pump();
  EXPECT_EQ(Tray().balloonText, L"");
}

TEST_F(MainFormTest, ReservedAndUnknownTypesTakeTheBalloonDown) {
  for (int type : {11, 12, 13, 29, -1}) {
    Notify(7, "/x/a.txt");
    ASSERT_NE(Tray().balloonText, L"");
    Notify(type, "/x/b.txt", "File");
    EXPECT_EQ(Tray().balloonText, L"") << type;
    EXPECT_EQ(Tray().balloonTitle, L"") << type;
  }
}

TEST_F(MainFormTest, AClickLocatesTheChangedFileOnlyWhenTheBalloonOfferedIt) {
  dorvtest::TempDir dir("mainformlocate");
  SetSyncRoot(dir / "Sync");
  std::filesystem::create_directories(dir / "Sync");
  const std::filesystem::path file = dir / "Sync" / "report.doc";
  std::ofstream(file) << "1";
  const juce::String path(file.string());
  // A path outside the sync root, or through a link, is not shown.
  std::ofstream(dir / "elsewhere.doc") << "1";
  std::filesystem::create_directory_symlink(dir.path(), dir / "Sync" / "out");
  for (const std::filesystem::path& outside : {dir / "elsewhere.doc", dir / "Sync" / "out" / "elsewhere.doc"}) {
    Notify(SNT_ONE_FILE_MODIFIED, juce::String(outside.string()));
    ClickBalloon();
    EXPECT_TRUE(Launches().empty()) << outside;
  }
  Notify(SNT_ONE_FILE_MODIFIED, path);
  ClickBalloon();
  std::vector<win32::LaunchRequest> launches = Launches();
  ASSERT_EQ(launches.size(), 1u);
  EXPECT_EQ(launches[0], (win32::LaunchRequest{L"select", file.wstring(), L"", L"", SW_SHOWNORMAL}));
  // A deletion stores its path but offers no click.
  win32::Launcher::ClearRecorded();
  Notify(SNT_ONE_FILE_DELETED, path);
  ClickBalloon();
  EXPECT_TRUE(Launches().empty());
  // Nor does a click on another icon.
  Notify(SNT_ONE_FILE_ADDED, path);
  m_form->SendMessage(WM_TRAY_CALLBACK, kTrayIconId + 1, NIN_BALLOONUSERCLICK);
  EXPECT_TRUE(Launches().empty());
}

TEST_F(MainFormTest, StorageFullOffersTheCreditGuideOnlyToOrdinaryAccounts) {
  Notify(SNT_SERVER_SPACE_FULL, "/home/u/Sync/big.iso");
  EXPECT_EQ(Tray().balloonText, std::wstring((Fmt(L"STRID_TRAYICONNOTIFYINFO_INFOSERVERSPACENOTENOUGH", L"big.iso") +
                                              Str(L"STRID_TRAYICONNOTIFYINFO_CLICKTOEXCHANGE"))
                                                 .GetString()));
  ClickBalloon();
  std::vector<win32::LaunchRequest> launches = Launches();
  ASSERT_EQ(launches.size(), 1u);
  EXPECT_EQ(launches[0].file, L"http://pan.halvorn.com/netfolder/web/entry.do?username=someone@halvorn.com&target=upgrade");
  EXPECT_EQ(launches[0].show, SW_SHOWMAXIMIZED);

  win32::Launcher::ClearRecorded();
  SetAccount("boss@vip.halvorn.com");
  Notify(SNT_SERVER_SPACE_FULL, "/home/u/Sync/big.iso");
  EXPECT_EQ(Tray().balloonText,
            std::wstring(Fmt(L"STRID_TRAYICONNOTIFYINFO_INFOSERVERSPACENOTENOUGH", L"big.iso").GetString()));
  ClickBalloon();
  EXPECT_TRUE(Launches().empty());
}

TEST_F(MainFormTest, NotificationsWhileTheIconIsGoneShowNothingButKeepTheTarget) {
  ASSERT_TRUE(m_form->RemoveIcon());
  dorvtest::TempDir dir("mainformhidden");
  SetSyncRoot(dir.path());
  const std::filesystem::path file = dir.path() / "a.txt";
  std::ofstream(file) << "1";
  Notify(SNT_ONE_FILE_ADDED, juce::String(file.string()));
  EXPECT_EQ(TrayCount(), 0u);
  m_form->LocateNotifiedFile();
  EXPECT_EQ(Launches().size(), 1u);
}

TEST_F(MainFormTest, EngineThreadsCallAtOnceAndTheWindowThreadAppliesTheirWorkInOrder) {
  constexpr int kThreads = 8, kCalls = 200;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([this, t] {
      for (int i = 0; i < kCalls; ++i) {
        m_form->SetTrayIcon(i % 2 ? IDI_TRAY_SYNCED : IDI_TRAY_ERROR);
        m_form->NotifySyncEvent(SyncNotifyInfo{SNT_ONE_FILE_ADDED, "/s/t" + juce::String(t) + "_" + juce::String(i), {}});
        m_form->NotifyPathStatus("/nowhere/" + juce::String(i), 7);
      }
    });
  // Every call returned without the window's thread doing anything.
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(Tray().balloonText, L"");
  Pump();
  win32::TrayIcon icon = Tray();
  // The last work of each thread was an icon 131 then a balloon of its last file.
  EXPECT_EQ(icon.icon, LoadTrayIcon(IDI_TRAY_SYNCED));
  bool someLast = false;
  for (int t = 0; t < kThreads; ++t)
    someLast |= icon.balloonText ==
                std::wstring(Fmt(L"STRID_TRAYICONNOTIFYINFO_INFOFILEADD",
                                 static_cast<LPCTSTR>(Common::String_To_CString("t" + juce::String(t) + "_199")))
                                 .GetString()) +
                    Str(L"STRID_TRAYICONNOTIFYINFO_CLICKTOLOCATE").GetString();
  EXPECT_TRUE(someLast) << juce::String(icon.balloonText.c_str());
  // A syncing state from an engine thread starts the animation on the window's timer.
  std::thread([this] { m_form->SetTrayIcon(IDI_TRAY_SYNCING); }).join();
  Pump();
  m_clock.Advance(125);
  Pump();
  EXPECT_EQ(Tray().icon, LoadTrayIcon(IDI_TRAY_FRAME_FIRST + CMainForm::s_nTrayFrame));
  std::thread([this] { m_form->SetTrayIcon(IDI_TRAY_OFFLINE); }).join();
  Pump();
}

TEST_F(MainFormTest, TheNotificationSwitchKeepsTheEnginesChangeBalloonsAway) {
  GlobalConfig* config = GetGlobalConfig();
  config->m_bDisplayNotify = 0;
  m_tracker->AddChangeNote("/s/new.txt", "/s/new.txt", "/s/new.txt", 1);
  m_tracker->FlushChangeNotes();
  Pump();
  EXPECT_EQ(Tray().balloonText, L"");
  config->m_bDisplayNotify = 1;
  m_tracker->AddChangeNote("/s/new.txt", "/s/new.txt", "/s/new.txt", 1);
  m_tracker->FlushChangeNotes();
  Pump();
  EXPECT_EQ(Tray().balloonTitle, std::wstring(Str(L"STRID_TRAYICONNOTIFYINFO_TITLEFILEADD").GetString()));
}

// ---- Status text ----------------------------------------------------------

TEST(TrayStatusTipTest, TransferLinesPickTheirUnitsAndRoundHalvesToEven) {
  const struct {
    juce::int64 rate, seconds;
    double speed;
    const wchar_t* speedUnit;
    juce::int64 left;
    const wchar_t* timeKey;
  } cases[] = {
      {1048575, 59, 1048575 / 1024.0, L"KB", 59, L"STRID_TRAYICONTIPINFO_SECOND"},
      {1048576, 90, 1.0, L"MB", 2, L"STRID_TRAYICONTIPINFO_MINUTES"},
      {2048, 150, 2.0, L"KB", 2, L"STRID_TRAYICONTIPINFO_MINUTES"},
      {2048, 210, 2.0, L"KB", 4, L"STRID_TRAYICONTIPINFO_MINUTES"},
      {2048, 3600, 2.0, L"KB", 1, L"STRID_TRAYICONTIPINFO_HOUR"},
      {2048, 5400, 2.0, L"KB", 2, L"STRID_TRAYICONTIPINFO_HOUR"},
  };
  for (const auto& c : cases) {
    CString line;
    FormatTransferTip(true, line, c.rate, 3, c.seconds);
    const CString expected = Fmt(L"STRID_TRAYICONTIPINFO_UPLOADING", juce::int64{3}, c.speed, c.speedUnit, c.left,
                                 static_cast<LPCTSTR>(Str(c.timeKey)));
    EXPECT_EQ(line, expected) << c.seconds;
  }
  CString line;
  FormatTransferTip(false, line, 0, 4, 100);
  EXPECT_EQ(line, Fmt(L"STRID_TRAYICONTIPINFO_DOWNLOADINGNOSPEED", juce::int64{4}));
  EXPECT_NE(line.Find(L"4"), -1);
}

TEST_F(MainFormTest, TheStatusTextFollowsTheNetworkEngineAndSyncStates) {
  struct Case {
    int net, engine, sync, transfer;
    const wchar_t* key;
  } cases[] = {
      {1, 1, 1, 1, L"STRID_TRAYICONTIPINFO_CONNECTING"},  // the network overrides a pause
      {2, 4, 1, 1, L"STRID_TRAYICONTIPINFO_CONNECTINGSERVER"},
      {3, 4, 1, 1, L"STRID_TRAYICONTIPINFO_PROXYUNREACHABLE"},
      {0, 0, 1, 1, L"STRID_TRAYICONTIPINFO_PLEASELOGIN"},
      {0, 1, 1, 1, L"STRID_TRAYICONTIPINFO_SYNCSOTP"},
      {0, 2, 1, 1, L"STRID_TRAYICONTIPINFO_AUTOLOGIN"},
      {0, 3, 1, 1, L"STRID_MENU_TRAYICON_SETTING"},
      {0, 4, 1, 1, L"STRID_TRAYICONTIPINFO_SYNCCOMPLETE"},
      {0, 4, 2, 1, L"STRID_TRAYICONTIPINFO_CHECKFILECHANGE"},
      {0, 4, 2, 9, L"STRID_TRAYICONTIPINFO_SYNCING"},
      {0, 4, 3, 1, L"STRID_TRAYICONTIPINFO_UNKNOWNERROR"},
      {0, 4, 2, 2, nullptr},  // uploading, but no uploads: nothing to say
      {0, 4, 9, 1, nullptr},
      {0, 7, 1, 1, nullptr},
  };
  for (const Case& c : cases) {
    m_tracker->m_nNetState = c.net;
    m_tracker->m_nEngineState = c.engine;
    m_tracker->m_nSyncState = c.sync;
    m_tracker->m_nTransferState = c.transfer;
    CString text;
    m_form->BuildStatusTip(text, 0);
    EXPECT_EQ(text, c.key ? Str(c.key) : CString()) << c.net << c.engine << c.sync << c.transfer;
  }
  // Both directions without uploads: the download line after a line break.
  m_tracker->AddDownFile(7, 1000);
  m_tracker->m_nTransferState = SyncStatusTracker::TRANSFER_BOTH;
  m_tracker->m_nSyncState = SyncStatusTracker::SYNC_SYNCING;
  m_tracker->m_nEngineState = 4;
  CString text;
  m_form->BuildStatusTip(text, 0);
  EXPECT_EQ(text, L"\n" + Fmt(L"STRID_TRAYICONTIPINFO_DOWNLOADINGNOSPEED", juce::int64{1}));
  // With nothing to say the tip is the version line alone.
  m_tracker->ClearTransfers();
  m_tracker->m_nSyncState = SyncStatusTracker::SYNC_SYNCING;
  m_tracker->m_nTransferState = SyncStatusTracker::TRANSFER_UP;
  m_form->SendMessage(WM_TRAY_CALLBACK, kTrayIconId, WM_MOUSEMOVE);
  EXPECT_EQ(Tray().tip,
            std::wstring(Fmt(L"STRID_TRAYICONTIPINFO_VERSION", static_cast<LPCTSTR>(GetGlobalConfig()->m_strVersion))
                             .GetString()));
}

TEST_F(MainFormTest, RecentEntriesFollowTheStateWithinTheTipsLength) {
  SyncPathList* tips = GetSyncTipList();
  for (int i = 0; i < 3; ++i) tips->AddUnique("/home/u/Sync/file" + juce::String(i) + ".txt", TIP_OCCUPIED);
  CString entries;
  ASSERT_TRUE(tips->ComposeTipText(entries, 1));
  ASSERT_EQ(entries[0], L'\n');
  // An error with entries: only the entries, without the leading break.
  m_tracker->m_nEngineState = 4;
  m_tracker->m_nSyncState = SyncStatusTracker::SYNC_ERROR;
  CString text;
  m_form->BuildStatusTip(text, 0);
  CString expected = entries.Mid(1);
  if (expected.Right(1) == L"\n") expected = expected.Left(expected.GetLength() - 1);
  EXPECT_EQ(text, expected);
  // Synced: the synced text, then one entry per line.
  m_tracker->m_nSyncState = SyncStatusTracker::SYNC_SYNCED;
  m_form->BuildStatusTip(text, 0);
  EXPECT_EQ(text.Left(Str(L"STRID_TRAYICONTIPINFO_SYNCCOMPLETE").GetLength()), Str(L"STRID_TRAYICONTIPINFO_SYNCCOMPLETE"));
  EXPECT_NE(text.Right(1), L"\n");
  // The whole tip fits the record's 127 characters.
  m_form->RefreshTrayTip();
  EXPECT_LE(Tray().tip.size(), 127u);
  EXPECT_NE(Tray().tip.find(L"\n"), std::wstring::npos);
  tips->Clear();
}

TEST(TableFormatTest, ATextIsFormattedOnlyWhenItsSpecifiersTakeTheArguments) {
  const struct {
    const wchar_t* format;
    const char* kinds;
    bool takes;
  } cases[] = {
      {L"%I64d files, %.1f%s/s, %I64d%s", "DfsDs", true},
      {L"100%% of %s", "s", true},
      {L"only %s", "ss", true},   // fewer is fine
      {L"no arguments", "", true},
      {L"%d of %s", "ss", false},  // an integer where text comes
      {L"%s %s %s", "ss", false},  // more than given
      {L"%s and %n", "ss", false},
      {L"%I64d", "d", false},
      {L"ends with %", "s", false},
      {L"%-8.3ls", "s", true},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatTakes(c.format, c.kinds), c.takes) << juce::String(c.format);
  // A text that doesn't fit is shown as it is, and logged.
  EXPECT_EQ(FormatTableText(L"%d files in %s", "ss", L"a", L"b"), CString(L"%d files in %s"));
  EXPECT_GE(CountLogLines("String table text does not take its arguments: %d files in %s"), 1);
  EXPECT_EQ(FormatTableText(L"%s files in %s", "ss", L"3", L"b"), CString(L"3 files in b"));
}

// ---- Web links ------------------------------------------------------------

TEST(WebLinksTest, TheWebHostComesFromTheLastAtSignsDomainInLowerCase) {
  EXPECT_EQ(GetURLHead("a@b@halvorn.com"), "pan.halvorn.com");
  EXPECT_EQ(GetURLHead("Someone@HALVORN.NET"), GetURLHead("someone@halvorn.net"));
  EXPECT_FALSE(GetURLHead("someone@halvorn.net").isEmpty());
  const int before = CountLogLines("GetURLHead username is Error, UserName is @halvorn.com");
  EXPECT_EQ(GetURLHead("@halvorn.com"), "");
  EXPECT_EQ(GetURLHead("nobody"), "");
  EXPECT_EQ(CountLogLines("GetURLHead username is Error, UserName is @halvorn.com"), before + 1);
  EXPECT_EQ(GetURLHead("x@elsewhere.org"), "");
  EXPECT_GE(CountLogLines("GetURLHead type is Error, UserName is x@elsewhere.org"), 1);
}

// No page gets the password's digest, signed in or not: help and feedback
// are plain addresses, the web site's pages name the account alone.
TEST_F(MainFormTest, WebPagesOpenMaximisedWithoutCredentials) {
  OpenAccountWebsite("someone@halvorn.com", 0);
  OpenAccountWebsite("x@elsewhere.org", 42);
  m_form->SendMessage(WM_NOTIFY_OPEN_HELP, 0, 0);
  GetAccountData()->SetLoggedIn(true);
  m_form->SendMessage(WM_NOTIFY_OPEN_HELP, 0, 0);
  OpenFeedbackPage();
  m_form->SendMessage(WM_NOTIFY_OPEN_CREDIT_GUIDE, 0, 0);
  const std::vector<std::wstring> expected = {
      L"http://pan.halvorn.com/netfolder/web/entry.do?username=someone@halvorn.com&target=list&dirId=0",
      L"http:///netfolder/web/entry.do?username=x@elsewhere.org&target=list&dirId=42",
      kHelpPageUrl,
      kHelpPageUrl,
      kFeedbackPageUrl,
      L"http://pan.halvorn.com/netfolder/web/entry.do?username=someone@halvorn.com&target=upgrade",
  };
  std::vector<win32::LaunchRequest> launches = Launches();
  ASSERT_EQ(launches.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(launches[i].file, expected[i]) << i;
    EXPECT_EQ(launches[i].verb, L"open");
    EXPECT_EQ(launches[i].show, SW_SHOWMAXIMIZED);
  }
}

}  // namespace
