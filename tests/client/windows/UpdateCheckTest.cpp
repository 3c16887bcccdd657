// The start-up update check against the local service: the version file and
// the Update folder beside this test program stand for the program's own.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>
#include <fcntl.h>

#include <juce_cryptography/juce_cryptography.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

#include "../../platform/net/TestServer.h"
#include "DevServer.h"
#include "DialogDriver.h"
#include "HostileServer.h"
#include "TempDir.h"
#include "UpdateSigning.h"
#include "net/ProxySocket.h"
#include "client/app/Dorv_WinApp.h"
#include "client/core/protocol/ServerList.h"
#include "client/windows/ExeDirectory.h"
#include "common/AppPaths.h"
#include "common/StringConvert.h"
#include "client/windows/UpdateCheck.h"
#include "client/windows/UpdateForm.h"
#include "client/windows/UpdateInfo.h"
#include "client/windows/UpdatePackage.h"
#include "win32/Launcher.h"
#include "win32/Windows.h"

namespace fs = std::filesystem;

namespace {

const std::string kInstaller = "#!/bin/sh\necho installed \"$@\"\n";

std::string Md5Hex(const std::string& bytes) { return juce::MD5(bytes.data(), bytes.size()).toHexString().toStdString(); }

fs::path ExeDir() { return fs::path(GetExeDirectory().toStdString()); }

// What a description offers. url empty: the service's setup.exe; md5 empty:
// the installer's; silent: the attribute's text, or none; signature: the
// attribute's text, or none (the service then signs the installer it serves).
struct Offer {
  const char* silent;
  std::string md5;
  std::string url;
  std::string version;
  std::optional<std::string> signature;
};

Offer Make(const char* silent, std::string md5 = "", std::string url = "", std::string version = "2.0.0") {
  return Offer{silent, std::move(md5), std::move(url), std::move(version), std::nullopt};
}

class UpdateCheckTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_updates = std::make_unique<dorvtest::TempDir>();
    dorvtest::DevServerOptions options;
    options.updateDir = s_updates->path();
    s_server = std::make_unique<dorvtest::DevServer>(options);
  }
  static void TearDownTestSuite() {
    // Idle kept connections would make the service wait out their keep-alive.
    Net::ProxySocket::CloseAllConnect();
    s_server.reset();
    s_updates.reset();
  }

  void SetUp() override {
    // The test cases run as separate processes beside one program folder:
    // one at a time.
    m_lock = open((ExeDir() / ".update-tests.lock").c_str(), O_CREAT | O_RDWR, 0644);
    ASSERT_GE(m_lock, 0);
    ASSERT_EQ(flock(m_lock, LOCK_EX), 0);
    fs::remove_all(ExeDir() / "Update");
    fs::remove(ExeDir() / "Qelmark.dll");
    dorvtest::TempDir dir;
    dorvtest::WriteFile(dir / "server_list.xml", s_server->ServerListXml());
    ServerList::LoadInstance(juce::File((dir / "server_list.xml").string()));
    dorvtest::WriteFile(s_updates->path() / "setup.exe", kInstaller);
    win32::Launcher::SetMode(win32::Launcher::Mode::Record);
    win32::Launcher::ClearRecorded();
    win32::Launcher::SetResponder(nullptr);
  }

  void TearDown() override {
    fs::remove_all(ExeDir() / "Update");
    fs::remove(ExeDir() / "Qelmark.dll");
    ServerList::DeleteInstance();
    close(m_lock);
  }

  static void SetLocalVersion(const std::string& text) { dorvtest::WriteFile(ExeDir() / "Qelmark.dll", text); }

  static void Publish(const Offer& offer) {
    std::string xml = "<update><Version VersionID=\"" + offer.version + "\" Description=\"New***Better\" URL=\"" +
                      (offer.url.empty() ? s_server->BaseUrl() + "/client/dorv/update/setup.exe" : offer.url) +
                      "\" MD5=\"" + (offer.md5.empty() ? Md5Hex(kInstaller) : offer.md5) + "\"";
    if (offer.silent) xml += std::string(" Silent=\"") + offer.silent + "\"";
    if (offer.signature) xml += " Signature=\"" + *offer.signature + "\"";
    xml += "/></update>";
    dorvtest::WriteFile(s_updates->path() / "update.xml", xml);
  }

  // Runs the check; a background download it leaves is waited for and
  // deleted. Returns the check's result.
  static int Check(bool* downloaded = nullptr, UserToAsk user = UserToAsk::Present) {
    CAppBackgroundJob* job = nullptr;
    const int result = CheckForUpdate(job, user);
    if (downloaded) *downloaded = job != nullptr;
    if (job) {
      auto* thread = dynamic_cast<juce::Thread*>(job);
      EXPECT_NE(thread, nullptr);
      if (thread) {
        EXPECT_TRUE(thread->waitForThreadToExit(30000));
      }
      delete job;
    }
    return result;
  }

  static std::string ReadLog() {
    CString folder;
    Common::GetAppDataPath(folder);
    std::ifstream in(fs::path(Common::CString_to_utf8(folder)) / "dorv.log");
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  static fs::path Installer() { return ExeDir() / "Update" / "Update.exe"; }

  // Two starts in a row each download the offer and keep nothing of it.
  static void ExpectEachStartRefusesTheDownload() {
    for (int start = 0; start < 2; ++start) {
      bool downloaded = false;
      EXPECT_EQ(Check(&downloaded), 0);
      EXPECT_TRUE(downloaded);
      EXPECT_FALSE(fs::exists(Installer()));
      EXPECT_FALSE(fs::exists(Installer().string() + ".part"));
    }
  }

  static std::unique_ptr<dorvtest::TempDir> s_updates;
  static std::unique_ptr<dorvtest::DevServer> s_server;
  int m_lock = -1;
};

std::unique_ptr<dorvtest::TempDir> UpdateCheckTest::s_updates;
std::unique_ptr<dorvtest::DevServer> UpdateCheckTest::s_server;

TEST_F(UpdateCheckTest, TheSameVersionGoesOnWithNothingDone) {
  SetLocalVersion(std::string("2.0.0\0junk", 10));  // the text ends at its NUL
  Publish(Make("true"));
  bool downloaded = true;
  EXPECT_EQ(Check(&downloaded), 0);
  EXPECT_FALSE(downloaded);
  EXPECT_FALSE(fs::exists(ExeDir() / "Update"));
  EXPECT_TRUE(win32::Launcher::Recorded().empty());

  UpdateInfo info;
  EXPECT_TRUE(ReadLocalVersion(info));
  EXPECT_EQ(info.m_sLocalVersion, "2.0.0");
}

TEST_F(UpdateCheckTest, AVersionThatDiffersInAnyByteIsAnUpdate) {
  // Versions are compared as they are written, not as numbers.
  for (const char* offered : {"2.0.00", "2.0.0.0", "2.0.0 ", "2.0.O"}) {
    SCOPED_TRACE(offered);
    fs::remove_all(ExeDir() / "Update");
    SetLocalVersion("2.0.0");
    Publish(Make("true", "", "", offered));
    bool downloaded = false;
    Check(&downloaded);
    EXPECT_TRUE(downloaded);
  }
}

// A silent update is downloaded in the background; the next start finds it
// verified, starts it hidden with the program folder and ends. A start after
// that one does not start it again: the installer did not change the version.
TEST_F(UpdateCheckTest, ASilentUpdateDownloadsThenInstallsOnce) {
  SetLocalVersion("1.0.2\n");
  Publish(Make("true"));
  bool downloaded = false;
  EXPECT_EQ(Check(&downloaded), 0);
  EXPECT_TRUE(downloaded);
  ASSERT_TRUE(fs::exists(Installer()));
  EXPECT_FALSE(fs::exists(Installer().string() + ".part"));
  EXPECT_TRUE(win32::Launcher::Recorded().empty());

  EXPECT_EQ(Check(), 1);
  const auto launches = win32::Launcher::Recorded();
  ASSERT_EQ(launches.size(), 1u);
  EXPECT_EQ(launches[0].verb, L"open");
  EXPECT_EQ(launches[0].file, Installer().wstring());
  EXPECT_EQ(launches[0].parameters, L"/S /D=" + std::wstring(GetExeDirectory().toWideCharPointer()));
  EXPECT_EQ(launches[0].show, SW_HIDE);

  EXPECT_EQ(Check(), 0);
  EXPECT_EQ(win32::Launcher::Recorded().size(), 1u);

  // A new version of the description is a new installer: started once.
  const std::string next = kInstaller + "# 2.0.1\n";
  dorvtest::WriteFile(s_updates->path() / "setup.exe", next);
  dorvtest::WriteFile(Installer(), next);
  Publish(Make("true", Md5Hex(next), "", "2.0.1"));
  EXPECT_EQ(Check(), 1);
  EXPECT_EQ(win32::Launcher::Recorded().size(), 2u);
}

TEST_F(UpdateCheckTest, AVerifiedInstallerThatIsNotSilentStartsShown) {
  Publish(Make(nullptr));  // no Silent attribute: not silent
  dorvtest::WriteFile(Installer(), kInstaller);
  EXPECT_EQ(Check(), 1);
  const auto launches = win32::Launcher::Recorded();
  ASSERT_EQ(launches.size(), 1u);
  EXPECT_EQ(launches[0].parameters, L"/D=" + std::wstring(GetExeDirectory().toWideCharPointer()));
  EXPECT_EQ(launches[0].show, SW_SHOW);
}

// A non-silent offer asks first: "稍后再说" goes on without downloading,
// "立即更新" downloads, starts the installer shown and ends the start.
TEST_F(UpdateCheckTest, ANonSilentOfferAsksInTheUpdateDialog) {
  Publish(Make("false"));
  std::wstring description;
  {
    dorvtest::DialogDriver driver(L"Dorv 更新程序", {[&](HWND dialog) {
                                    description = dorvtest::DialogDriver::Text(GetDlgItem(dialog, UpdateForm::IDC_DESCRIPTION));
                                    dorvtest::DialogDriver::Click(dialog, IDCANCEL);
                                    return true;
                                  }});
    bool downloaded = true;
    EXPECT_EQ(Check(&downloaded), 0);
    EXPECT_TRUE(driver.Finished());
    EXPECT_FALSE(downloaded);
  }
  EXPECT_EQ(description, L"New\r\n\r\nBetter");
  EXPECT_FALSE(fs::exists(Installer()));
  EXPECT_TRUE(win32::Launcher::Recorded().empty());

  dorvtest::DialogDriver driver(L"Dorv 更新程序", {[](HWND dialog) {
                                  dorvtest::DialogDriver::Click(dialog, IDOK);
                                  return true;
                                }});
  EXPECT_EQ(Check(), 1);
  EXPECT_TRUE(driver.Finished());
  const auto launches = win32::Launcher::Recorded();
  ASSERT_EQ(launches.size(), 1u);
  EXPECT_EQ(launches[0].file, Installer().wstring());
  EXPECT_EQ(launches[0].show, SW_SHOW);
}

TEST_F(UpdateCheckTest, AnInstallerThatCannotBeStartedLetsTheStartGoOn) {
  Publish(Make("true"));
  dorvtest::WriteFile(Installer(), kInstaller);
  win32::Launcher::SetResponder([](const win32::LaunchRequest&) -> DWORD { return ERROR_FILE_NOT_FOUND; });
  EXPECT_EQ(Check(), 0);
  // Not counted as started: the next start tries again.
  win32::Launcher::SetResponder(nullptr);
  EXPECT_EQ(Check(), 1);
}

// A download whose digest is not the description's is never put where the
// installer is looked for, nor started; a silent description downloads it
// again at each start.
TEST_F(UpdateCheckTest, AWrongDigestIsNeverStarted) {
  for (const std::string& md5 : {Md5Hex("something else"), juce::String(Md5Hex(kInstaller)).toUpperCase().toStdString()}) {
    SCOPED_TRACE(md5);
    Publish(Make("true", md5));
    ExpectEachStartRefusesTheDownload();
    EXPECT_TRUE(win32::Launcher::Recorded().empty());
  }
}

// Installers from a hostile server: a body that never ends, a length that
// lies, the wrong bytes. None is kept where the installer is looked for,
// and none is started.
TEST_F(UpdateCheckTest, AHostileInstallerIsNeverKept) {
  setenv("DORV_NET_LIMITS", "largefile=1048576:20000", 1);
  dorvtest::HostileServer server;
  server.Set("/endless/setup.exe", dorvtest::HostileServer::Endless());
  server.Set("/short/setup.exe", dorvtest::HostileServer::Lying(kInstaller.substr(0, 10), kInstaller.size()));
  server.Set("/other/setup.exe", dorvtest::HostileServer::Fixed(200, kInstaller + "# and more\n"));
  for (const char* path : {"/endless/setup.exe", "/short/setup.exe", "/other/setup.exe"}) {
    SCOPED_TRACE(path);
    Publish(Make("true", "", server.Url(path)));
    bool downloaded = false;
    EXPECT_EQ(Check(&downloaded), 0);
    EXPECT_TRUE(downloaded);
    EXPECT_FALSE(fs::exists(Installer()));
    EXPECT_FALSE(fs::exists(Installer().string() + ".part"));
    EXPECT_EQ(Check(), 0);
  }
  EXPECT_TRUE(win32::Launcher::Recorded().empty());
  unsetenv("DORV_NET_LIMITS");
}

// A file larger than any installer is refused without being read, even
// with the description's digest; a verified installer is made executable
// before it is started, and not before.
TEST_F(UpdateCheckTest, OnlyAnInstallerOfSaneSizeIsVerifiedAndMadeExecutable) {
  Publish(Make("true"));
  dorvtest::WriteFile(Installer(), kInstaller);
  fs::permissions(Installer(), fs::perms::owner_read | fs::perms::owner_write);
  setenv("DORV_NET_LIMITS", ("largefile=" + std::to_string(kInstaller.size() - 1) + ":20000").c_str(), 1);
  EXPECT_EQ(Check(), 0);
  EXPECT_TRUE(win32::Launcher::Recorded().empty());
  EXPECT_EQ(fs::status(Installer()).permissions() & fs::perms::owner_exec, fs::perms::none);

  setenv("DORV_NET_LIMITS", ("largefile=" + std::to_string(kInstaller.size()) + ":20000").c_str(), 1);
  EXPECT_EQ(Check(), 1);
  EXPECT_EQ(win32::Launcher::Recorded().size(), 1u);
  EXPECT_NE(fs::status(Installer()).permissions() & fs::perms::owner_exec, fs::perms::none);
  unsetenv("DORV_NET_LIMITS");
}

// The update description of a server that drips it a byte at a time holds the
// start only for the description's deadline: the start goes on.
TEST_F(UpdateCheckTest, ADrippedDescriptionEndsAtItsDeadline) {
  setenv("DORV_NET_LIMITS", "smallfile=1048576:1000", 1);
  dorvtest::HostileServer server;
  const std::string xml = "<update><Version VersionID=\"2.0.0\" Description=\"d\" URL=\"" +
                          s_server->BaseUrl() + "/client/dorv/update/setup.exe\" MD5=\"" + Md5Hex(kInstaller) +
                          "\" Silent=\"true\"/></update>";
  server.Set("/update.xml", dorvtest::HostileServer::Drip(xml, 100));
  std::string list = s_server->ServerListXml();
  const std::string update = s_server->BaseUrl() + "/client/dorv/update/update.xml";
  ASSERT_NE(list.find(update), std::string::npos);
  list.replace(list.find(update), update.size(), server.Url("/update.xml"));
  dorvtest::TempDir dir;
  dorvtest::WriteFile(dir / "server_list.xml", list);
  ServerList::DeleteInstance();
  ServerList::LoadInstance(juce::File((dir / "server_list.xml").string()));

  bool downloaded = true;
  EXPECT_EQ(Check(&downloaded), 0);
  EXPECT_FALSE(downloaded);
  EXPECT_EQ(server.Requests().size(), 1u);
  unsetenv("DORV_NET_LIMITS");
}

// With nobody to ask, an offer that needs the user is logged and skipped,
// even when its installer is there and verified; a silent one goes on as
// ever.
TEST_F(UpdateCheckTest, AnOfferThatNeedsTheUserIsSkippedWhenNobodyCanBeAsked) {
  for (const char* silent : {static_cast<const char*>(nullptr), "false"}) {
    Publish(Make(silent));
    bool downloaded = true;
    EXPECT_EQ(Check(&downloaded, UserToAsk::Absent), 0);
    EXPECT_FALSE(downloaded);
    EXPECT_FALSE(fs::exists(Installer()));
  }
  dorvtest::WriteFile(Installer(), kInstaller);
  EXPECT_EQ(Check(nullptr, UserToAsk::Absent), 0);
  EXPECT_TRUE(win32::Launcher::Recorded().empty());
  EXPECT_NE(ReadLog().find("Update to version 2.0.0 skipped"), std::string::npos);

  Publish(Make("true"));
  EXPECT_EQ(Check(nullptr, UserToAsk::Absent), 1);
  EXPECT_EQ(win32::Launcher::Recorded().size(), 1u);
}

// An error page where the installer should be is no download: nothing is
// left at the installer's path, and nothing is started.
TEST_F(UpdateCheckTest, AnHtmlErrorPageIsNoInstaller) {
  const std::string page = "<html><body><h1>404 Not Found</h1></body></html>";
  for (int status : {404, 500}) {
    SCOPED_TRACE(status);
    RawServer server("HTTP/1.1 " + std::to_string(status) + " Error\r\nContent-Type: text/html\r\nContent-Length: " +
                         std::to_string(page.size()) + "\r\nConnection: close\r\n\r\n" + page,
                     RawServer::Ending::Close);
    // The page's own digest: only the status tells it from an installer.
    Publish(Make("true", Md5Hex(page), server.Url("/dl/setup.exe")));
    bool downloaded = false;
    EXPECT_EQ(Check(&downloaded), 0);
    EXPECT_TRUE(downloaded);
    EXPECT_FALSE(fs::exists(Installer()));
    EXPECT_FALSE(fs::exists(Installer().string() + ".part"));
    EXPECT_EQ(Check(), 0);
    EXPECT_TRUE(win32::Launcher::Recorded().empty());
  }
}

// The installer is kept under the program's own name, whatever the URL
// names: an installer served as "launched.txt" neither overwrites the record
// of what was started nor is started again at every start.
TEST_F(UpdateCheckTest, TheInstallerKeepsTheProgramsOwnName) {
  dorvtest::WriteFile(s_updates->path() / "launched.txt", kInstaller);
  Publish(Make("true", "", s_server->BaseUrl() + "/client/dorv/update/launched.txt"));
  for (int start = 0; start < 4; ++start) Check();
  const auto launches = win32::Launcher::Recorded();
  ASSERT_EQ(launches.size(), 1u);
  EXPECT_EQ(launches[0].file, Installer().wstring());
  std::vector<std::string> kept;
  for (const auto& entry : fs::directory_iterator(ExeDir() / "Update")) kept.push_back(entry.path().filename());
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(kept, (std::vector<std::string>{"Update.exe", "launched.txt"}));
}

// Only an installer signed with an accepted key is kept and started: a
// missing, malformed or foreign signature, or one of other bytes, fails the
// download (logged) at every start, and an installer already in place whose
// signature does not hold is not started.
TEST_F(UpdateCheckTest, AnInstallerWithoutAValidSignatureIsNeverKeptOrStarted) {
  const std::string valid = dorvtest::SignWithTestKey(kInstaller);
  const std::pair<const char*, std::string> rows[] = {
      {"none", ""},
      {"not base64", "not a signature"},
      {"cut short", valid.substr(0, 40)},
      {"with more after it", valid + "AAAA"},
      {"of other bytes", dorvtest::SignWithTestKey(kInstaller + "#")},
      {"by a key no build accepts", dorvtest::SignWithUnknownKey(kInstaller)},
  };
  for (const auto& [name, signature] : rows) {
    SCOPED_TRACE(name);
    Offer offer = Make("true");
    offer.signature = signature;
    Publish(offer);
    ExpectEachStartRefusesTheDownload();
    dorvtest::WriteFile(Installer(), kInstaller);
    EXPECT_EQ(Check(), 0);
    fs::remove(Installer());
  }
  EXPECT_TRUE(win32::Launcher::Recorded().empty());
  EXPECT_NE(ReadLog().find("Installer refused, it carries no valid signature of the update key"), std::string::npos);
}

TEST_F(UpdateCheckTest, ABrokenDescriptionIsNoUpdate) {
  for (const std::string& xml : {std::string("not xml"), std::string("<update><Other/></update>"),
                                 std::string("<update><Version VersionID=\"9\" Description=\"\" URL=\"u\" MD5=\"m\"/></update>")}) {
    dorvtest::WriteFile(s_updates->path() / "update.xml", xml);
    EXPECT_EQ(Check(), 0) << xml;
  }
  fs::remove(s_updates->path() / "update.xml");  // a 404
  EXPECT_EQ(Check(), 0);
  EXPECT_FALSE(fs::exists(ExeDir() / "Update"));
}

}  // namespace
