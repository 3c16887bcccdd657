// The program as a process: one instance at a time, the hand-over of a second
// start, the crash handler's binding, the start-up's failures and the clean
// exit.
#include <gtest/gtest.h>

#include <signal.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <juce_cryptography/juce_cryptography.h>

#include "DevServer.h"
#include "HostileServer.h"
#include "ProgramRun.h"
#include "display/MessageBoxJournal.h"
#include "win32/Launcher.h"
#include "win32/Windows.h"

namespace fs = std::filesystem;
using apptest::FindMainWindow;
using apptest::LogLinesWith;
using apptest::ProgramFolder;
using apptest::WaitFor;
using wintest::ChildProcess;

namespace {

const char* const kSecondInstance = "Second instance, lParam: ";
const char* const kInitFailed = "Initialization Failed";

// Whether a process holds the single-instance event. Opening it would make this
// process hold the name too, so an opened handle is closed at once.
bool StartEventExists() {
  HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, L"Dorv Start Running Event");
  if (!event) return false;
  CloseHandle(event);
  return true;
}

class AppProcessTest : public testing::Test {
 protected:
  void SetUp() override {
    fs::remove_all(apptest::DataFolder());
    m_journal = (m_scratch / "desktop.journal").string();
    m_faultTrapRecord = (m_scratch / "faulttrap.record").string();
    setenv(display::kDesktopJournalVariable, m_journal.c_str(), 1);
    setenv("DORV_FAULTTRAP_RECORD", m_faultTrapRecord.c_str(), 1);
    unsetenv("DISPLAY");  // the program stays on the headless desktop, where boxes answer themselves
  }

  // Starts the program and waits until its main window can be found.
  std::unique_ptr<ChildProcess> StartRunning(const ProgramFolder& folder) {
    auto program = std::make_unique<ChildProcess>(folder.Program(), std::vector<std::string>{});
    EXPECT_TRUE(WaitFor([] { return FindMainWindow() != nullptr; })) << "the main window never appeared";
    return program;
  }

  // Closes the running program the way another process politely closes a
  // window, and waits for its end.
  static int CloseRunning(ChildProcess& program) {
    HWND main = FindMainWindow();
    EXPECT_TRUE(main);
    EXPECT_TRUE(PostMessageW(main, WM_CLOSE, 0, 0));
    return program.Wait();
  }

  std::vector<display::MessageBoxCall> Boxes() const { return display::ReadMessageBoxJournal(m_journal); }

  dorvtest::TempDir m_scratch{"dorv-app-test"};
  std::string m_journal;
  std::string m_faultTrapRecord;
};

TEST_F(AppProcessTest, SecondStartHandsItsCommandLineToTheRunningInstanceAndEnds) {
  ProgramFolder folder;
  auto running = StartRunning(folder);

  struct Case {
    std::vector<std::string> args;
    int lParam;
  };
  const Case cases[] = {
      {{"exploreREFRESH"}, 1}, {{"ExploreRefresh"}, 1}, {{"other"}, 0}, {{}, 0}, {{"ExploreRefresh", "x"}, 0}};
  size_t seen = 0;
  for (const Case& c : cases) {
    ChildProcess second(folder.Program(), c.args);
    EXPECT_EQ(second.Wait(), 0);
    ASSERT_TRUE(WaitFor([&] { return LogLinesWith(kSecondInstance).size() > seen; }))
        << "no hand-over for " << (c.args.empty() ? "(none)" : c.args[0]);
    std::vector<std::string> lines = LogLinesWith(kSecondInstance);
    ASSERT_EQ(lines.size(), seen + 1);
    EXPECT_NE(lines.back().find(kSecondInstance + std::to_string(c.lParam)), std::string::npos) << lines.back();
    seen = lines.size();
  }
  // A second start opens no database and shows nothing; the first runs on.
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(FindMainWindow());
  EXPECT_EQ(CloseRunning(*running), 0);
}

TEST_F(AppProcessTest, CrashHandlerBesideTheProgramGetsItsParametersInOrderAndIsStartedOutOfProcess) {
  ProgramFolder withHandler;
  fs::copy_file(FAULTTRAP_PLUGIN, withHandler / "FaultTrap.dll");
  auto running = StartRunning(withHandler);
  EXPECT_EQ(CloseRunning(*running), 0);

  const std::string dumps = (apptest::DataFolder() / "Dump").string() + "/";
  EXPECT_EQ(dorvtest::ReadFile(m_faultTrapRecord), "SetParameter 3 " + dumps +
                                                       "\n"
                                                       "SetParameter 0 Dorv\n"
                                                       "SetParameter 1 2000\n"
                                                       "SetParameter 2 internal-test\n"
                                                       "SetParameter 4 halvorn-dorv\n"
                                                       "Start true\n"
                                                       "Release\n");
}

TEST_F(AppProcessTest, WithoutCrashHandlerTheProgramRuns) {
  ProgramFolder folder;
  ASSERT_FALSE(fs::exists(folder / "FaultTrap.dll"));
  auto running = StartRunning(folder);
  EXPECT_TRUE(fs::exists(apptest::DataFolder() / "dorv.db"));
  EXPECT_EQ(CloseRunning(*running), 0);
  EXPECT_FALSE(fs::exists(m_faultTrapRecord));
}

// A theme file that is missing or not well-formed ends the start with the
// installation error; the steps after it don't run.
TEST_F(AppProcessTest, BrokenThemeEndsTheStartWithTheInstallationError) {
  struct Case {
    const char* file;
    bool remove;  // else: written not well-formed
    const char* step;
  };
  const Case cases[] = {
      {"Theme/gdstrings.ini", true, "Init Ini File"},
      {"Theme/Build.xml", true, "Init UI XML Files"},
      {"Theme/SkinDatas.xml", false, "Init UI XML Files"},
      {"Theme/Default/Skin.xml", true, "Init UI XML Files"},
      {"Theme/Default/Skin.xml", false, "Init UI XML Files"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + (c.remove ? " missing" : " malformed"));
    fs::remove_all(apptest::DataFolder());
    fs::remove(m_journal);
    ProgramFolder folder;
    if (c.remove) fs::remove(folder / c.file);
    else dorvtest::WriteFile(folder / c.file, "<UIRoot><css></UIRoot>");

    ChildProcess program(folder.Program(), {});
    EXPECT_EQ(program.Wait(), 0);

    std::vector<std::string> failed = LogLinesWith(kInitFailed);
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_NE(failed[0].find(std::string("Function: ") + c.step + ",Message: " + kInitFailed), std::string::npos)
        << failed[0];
    std::vector<display::MessageBoxCall> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"对不起，程序安装不完整，请重新安装!");
    EXPECT_EQ(boxes[0].caption, L"错误");
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_ICONERROR));
    EXPECT_FALSE(fs::exists(apptest::DataFolder() / "dorv.db")) << "the database was opened";
    // The exit ran and gave the name back.
    EXPECT_EQ(LogLinesWith("Exit App...").size(), 1u);
    EXPECT_FALSE(StartEventExists());
  }
}

TEST_F(AppProcessTest, LogThatCannotBeMadeShowsTheInstallationErrorWithoutALogLine) {
  fs::create_directories(apptest::DataFolder() / "dorv.log");  // where the log file would be
  ProgramFolder folder;
  ChildProcess program(folder.Program(), {});
  EXPECT_EQ(program.Wait(), 0);
  std::vector<display::MessageBoxCall> boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, L"对不起，程序安装不完整，请重新安装!");
  EXPECT_TRUE(fs::is_directory(apptest::DataFolder() / "dorv.log"));
  EXPECT_FALSE(fs::exists(apptest::DataFolder() / "dorv.db"));
  EXPECT_FALSE(StartEventExists());
}

TEST_F(AppProcessTest, MainFormWithoutItsTreeEndsTheStartWithoutABox) {
  ProgramFolder folder;
  dorvtest::WriteFile(folder / "Theme/Build.xml", "<BuildRoot><OtherForm/></BuildRoot>");
  ChildProcess program(folder.Program(), {});
  EXPECT_EQ(program.Wait(), 0);
  EXPECT_EQ(LogLinesWith("Function: Create Mainform,Message: Failed").size(), 1u);
  EXPECT_TRUE(LogLinesWith(kInitFailed).empty());
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(fs::exists(apptest::DataFolder() / "dorv.db"));
  EXPECT_FALSE(StartEventExists());
}

// The remembered skin is optional: one that is not there or doesn't load
// leaves the default skin, and the skin in use is remembered at the end.
TEST_F(AppProcessTest, RememberedSkinIsOptionalAndKeptAtTheEnd) {
  struct Case {
    const char* preSkin;  // null: no PreSkin.xml
    const char* remembered;
  };
  const Case cases[] = {
      {nullptr, "Default"},
      {"<PreSkin Name=\"default\"/>", "Default"},
      {"<PreSkin Name=\"Blue\"/>", "Blue"},  // listed, but its Skin.xml doesn't load
      {"<PreSkin", "Default"},                  // not well-formed
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.preSkin ? c.preSkin : "no PreSkin.xml");
    ProgramFolder folder;
    dorvtest::WriteFile(folder / "Theme/SkinDatas.xml",
                        "<SkinsRoot><Skin Name=\"Default\" Text=\"a\"/><Skin Name=\"Blue\" Text=\"b\"/></SkinsRoot>");
    dorvtest::WriteFile(folder / "Theme/Blue/Skin.xml", "<UIRoot>");
    if (c.preSkin) dorvtest::WriteFile(folder / "PreSkin.xml", c.preSkin);
    auto running = StartRunning(folder);
    EXPECT_EQ(CloseRunning(*running), 0);
    EXPECT_TRUE(LogLinesWith(kInitFailed).empty());
    EXPECT_NE(dorvtest::ReadFile(folder / "PreSkin.xml").find(std::string("Name=\"") + c.remembered + "\""),
              std::string::npos)
        << dorvtest::ReadFile(folder / "PreSkin.xml");
  }
}

// Order of the exit's lines from the last "Exit App..." on.
std::vector<std::string> ExitLines() {
  std::vector<std::string> order;
  for (const std::string& line : LogLinesWith("Message: ")) {
    for (const char* text : {"Exit App...", "Free Threadspool-Start", "Free Threadspool-End"}) {
      if (line.find(std::string("Message: ") + text) != std::string::npos) order.push_back(text);
    }
  }
  return order;
}

TEST_F(AppProcessTest, CleanExitFreesThePoolsInOrderAndGivesTheNameBack) {
  ProgramFolder folder;
  const std::vector<std::string> oneExit = {"Exit App...", "Free Threadspool-Start", "Free Threadspool-End"};

  // Closed from another process, as a window is closed politely.
  auto first = StartRunning(folder);
  EXPECT_EQ(CloseRunning(*first), 0);
  EXPECT_EQ(ExitLines(), oneExit);
  EXPECT_FALSE(StartEventExists());
  EXPECT_FALSE(FindMainWindow());

  // The name is free again: a new start runs (and is not a second instance),
  // and being told to end by a signal is the same clean exit.
  auto again = StartRunning(folder);
  EXPECT_TRUE(LogLinesWith(kSecondInstance).empty());
  ASSERT_EQ(kill(again->pid(), SIGTERM), 0);
  EXPECT_EQ(again->Wait(), 0);
  std::vector<std::string> twoExits = oneExit;
  twoExits.insert(twoExits.end(), oneExit.begin(), oneExit.end());
  EXPECT_EQ(ExitLines(), twoExits);
  EXPECT_FALSE(StartEventExists());
}

}  // namespace

namespace {

// A server list that sends every request of the program to `server`.
std::string ServerListFor(const dorvtest::HostileServer& server) {
  std::string xml = "<servers>";
  for (const char* name : {"link_server", "app_server", "rpc_server", "upload_server", "download_server",
                           "rsync_server"})
    xml += std::string("<") + name + " url=\"" + server.Url("/service/") + "\"/>";
  xml += "<update_xml_url url=\"" + server.Url("/update.xml") + "\"/></servers>";
  return xml;
}

std::string UpdateOffer(const dorvtest::HostileServer& server, const char* silent) {
  return "<update><Version VersionID=\"9.9.9\" Description=\"New\" URL=\"" + server.Url("/setup.exe") +
         "\" MD5=\"0123456789abcdef0123456789abcdef\" Silent=\"" + silent + "\"/></update>";
}

}  // namespace

// On the headless desktop nobody sees the update dialog: the offer is logged
// and the start goes on instead of waiting for an answer that never comes.
TEST_F(AppProcessTest, WithoutADisplayAnOfferThatNeedsTheUserDoesNotHoldTheStart) {
  dorvtest::HostileServer server;
  server.Set("/update.xml", dorvtest::HostileServer::Fixed(200, UpdateOffer(server, "false")));
  ProgramFolder folder;
  dorvtest::WriteFile(folder / "server_list.xml", ServerListFor(server));
  auto running = StartRunning(folder);
  const std::vector<std::string> skipped = LogLinesWith("Update to version 9.9.9 skipped");
  ASSERT_EQ(skipped.size(), 1u) << apptest::ReadLog();
  // The log was opened before the check: its welcome comes first.
  const std::string log = apptest::ReadLog();
  EXPECT_LT(log.find("Product Version: "), log.find("Update to version 9.9.9 skipped"));
  EXPECT_EQ(CloseRunning(*running), 0);
}

// A server that drips the update description holds the start only for the
// description's deadline.
TEST_F(AppProcessTest, ADrippedUpdateDescriptionDoesNotHoldTheStart) {
  dorvtest::HostileServer server;
  server.Set("/update.xml", dorvtest::HostileServer::Drip(UpdateOffer(server, "true"), 200));
  setenv("DORV_NET_LIMITS", "smallfile=1048576:1000", 1);
  ProgramFolder folder;
  dorvtest::WriteFile(folder / "server_list.xml", ServerListFor(server));
  auto running = StartRunning(folder);
  unsetenv("DORV_NET_LIMITS");
  const auto requests = server.Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests[0].target, "/update.xml");
  for (const auto& request : requests) EXPECT_NE(request.target, "/setup.exe");  // nothing was offered
  EXPECT_EQ(CloseRunning(*running), 0);
}

// A silent update served by the local service: the first start downloads the
// installer, the next start runs it and ends, but only when the installer
// carries a valid signature; an unsigned one is refused (logged) and the
// next start runs as ever.
TEST_F(AppProcessTest, OnlyASignedSilentUpdateIsStartedAtTheNextStart) {
  const std::string installer = "#!/bin/sh\necho installed\n";
  const std::string md5 = juce::MD5(installer.data(), installer.size()).toHexString().toStdString();
  for (const bool signedOffer : {true, false}) {
    SCOPED_TRACE(signedOffer ? "signed" : "unsigned");
    fs::remove_all(apptest::DataFolder());
    fs::remove(win32::Launcher::JournalPath());
    dorvtest::TempDir updates;
    dorvtest::WriteFile(updates / "setup.exe", installer);
    dorvtest::DevServerOptions options;
    options.updateDir = updates.path();
    dorvtest::DevServer server(options);
    // Without a Signature the service signs the installer as a release is.
    dorvtest::WriteFile(updates / "update.xml", "<update><Version VersionID=\"9.9.9\" Description=\"New\" URL=\"" +
                                                    server.BaseUrl() + "/client/dorv/update/setup.exe\" MD5=\"" + md5 +
                                                    "\" Silent=\"1\"" + (signedOffer ? "" : " Signature=\"\"") +
                                                    "/></update>");
    ProgramFolder folder;
    dorvtest::WriteFile(folder / "server_list.xml", server.ServerListXml());
    const fs::path kept = folder / "Update" / "Update.exe";
    {
      auto running = StartRunning(folder);
      ASSERT_TRUE(WaitFor([&] {
        return fs::exists(kept) || !LogLinesWith("Installer refused, it carries no valid signature").empty();
      }));
      EXPECT_EQ(CloseRunning(*running), 0);
    }
    EXPECT_EQ(fs::exists(kept), signedOffer);
    EXPECT_FALSE(fs::exists(kept.string() + ".part"));

    ChildProcess next(folder.Program(), {});
    if (signedOffer) {
      // Ends by itself, so that the installer can replace the program.
      EXPECT_EQ(next.Wait(), 0);
    } else {
      ASSERT_TRUE(WaitFor([] { return FindMainWindow() != nullptr; }));
      EXPECT_EQ(CloseRunning(next), 0);
    }
    const std::string journal = fs::exists(win32::Launcher::JournalPath())
                                    ? dorvtest::ReadFile(win32::Launcher::JournalPath())
                                    : std::string();
    EXPECT_EQ(journal.find(kept.string() + "\t/S /D=" + folder.path().string()) != std::string::npos, signedOffer)
        << journal;
  }
}
