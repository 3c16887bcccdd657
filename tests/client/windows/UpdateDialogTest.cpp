// The update offer's dialog, driven on the headless desktop as a user would,
// with the installer served by a loopback HTTP server. The Update folder is
// the one beside this test program.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <juce_cryptography/juce_cryptography.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "../../platform/net/TestServer.h"
#include "DialogDriver.h"
#include "UpdateSigning.h"
#include "client/app/Dorv_WinApp.h"
#include "client/windows/ExeDirectory.h"
#include "client/windows/UpdateForm.h"
#include "client/windows/UpdateInfo.h"
#include "client/windows/UpdatePackage.h"
#include "net/ProxySocket.h"
#include "win32/Launcher.h"

namespace fs = std::filesystem;
using dorvtest::DialogDriver;

namespace {

const wchar_t* const kTitle = L"Dorv 更新程序";

std::string Md5Hex(const std::string& bytes) { return juce::MD5(bytes.data(), bytes.size()).toHexString().toStdString(); }

fs::path ExeDir() { return fs::path(GetExeDirectory().toStdString()); }

bool Visible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }

// The prompt line: the one text of the controls without an id.
HWND Prompt(HWND dialog) {
  for (HWND child = FindWindowExW(dialog, nullptr, WC_STATICW, nullptr); child;
       child = FindWindowExW(dialog, child, WC_STATICW, nullptr))
    if (GetDlgCtrlID(child) == -1 && !DialogDriver::Text(child).empty()) return child;
  return nullptr;
}

class UpdateDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    // The test cases run as separate processes beside one program folder:
    // one at a time.
    m_lock = open((ExeDir() / ".update-dialog-tests.lock").c_str(), O_CREAT | O_RDWR, 0644);
    ASSERT_GE(m_lock, 0);
    ASSERT_EQ(flock(m_lock, LOCK_EX), 0);
    fs::remove_all(ExeDir() / "Update");
    win32::Launcher::SetMode(win32::Launcher::Mode::Record);
    win32::Launcher::ClearRecorded();
    win32::Launcher::SetResponder(nullptr);
    m_info.m_sVersionID = "2.0.0";
    m_info.m_sDescription = "New***Better";
    m_info.m_bSilent = false;
  }
  void TearDown() override {
    Net::ProxySocket::CloseAllConnect();
    fs::remove_all(ExeDir() / "Update");
    if (m_lock >= 0) close(m_lock);
  }

  // Offers the package at the server's path and runs the dialog with the
  // steps. Signed by default as a release is, over the server's data.
  int Offer(const std::string& path, const std::string& md5, std::vector<DialogDriver::Step> steps,
            const std::string& signature = dorvtest::SignWithTestKey(TestServer::Data())) {
    m_info.m_sURL = m_server.Url(path);
    m_info.m_sMD5 = md5;
    m_info.m_sSignature = signature;
    UpdatePackage package(m_info.m_sURL, m_info.m_sMD5, m_info.m_sSignature);
    DialogDriver driver(kTitle, std::move(steps));
    const int result = CDorv_WinApp::ShowUpdateForm(0, m_info, package);
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ(FindWindowW(L"#32770", kTitle), nullptr);  // the dialog is gone
    return result;
  }

  TestServer m_server;
  UpdateInfo m_info;
  int m_lock = -1;
};

TEST_F(UpdateDialogTest, LaterClosesTheOfferAndTheStartGoesOn) {
  std::wstring description, prompt;
  bool offerState = false;
  const int result = Offer("/data", Md5Hex(TestServer::Data()),
                           {[&](HWND dialog) {
                              description = DialogDriver::Text(GetDlgItem(dialog, UpdateForm::IDC_DESCRIPTION));
                              prompt = DialogDriver::Text(Prompt(dialog));
                              offerState = Visible(dialog, IDOK) && Visible(dialog, IDCANCEL) &&
                                           !Visible(dialog, UpdateForm::IDC_STOP_DOWNLOAD) &&
                                           !Visible(dialog, UpdateForm::IDC_PROGRESS);
                              DialogDriver::Click(dialog, IDCANCEL);
                              return true;
                            }});
  EXPECT_EQ(result, 0);
  EXPECT_EQ(description, L"New\r\n\r\nBetter");
  EXPECT_EQ(prompt, L"您的版本过低，检测到新的版本，是否选择升级：");
  EXPECT_TRUE(offerState);
  EXPECT_EQ(m_server.RequestCount(), 0);
  EXPECT_TRUE(win32::Launcher::Recorded().empty());
}

// The download ends the dialog by itself; the installer is then started shown.
TEST_F(UpdateDialogTest, UpdateNowDownloadsThenStartsTheInstaller) {
  const int result = Offer("/data", Md5Hex(TestServer::Data()), {[](HWND dialog) {
                             DialogDriver::Click(dialog, IDOK);
                             return true;
                           }});
  EXPECT_EQ(result, 1);
  const fs::path installer = ExeDir() / "Update" / "Update.exe";
  EXPECT_EQ(fs::file_size(installer), TestServer::Data().size());
  const auto launches = win32::Launcher::Recorded();
  ASSERT_EQ(launches.size(), 1u);
  EXPECT_EQ(launches[0].file, installer.wstring());
  EXPECT_EQ(launches[0].parameters, L"/D=" + std::wstring(GetExeDirectory().toWideCharPointer()));
  EXPECT_EQ(launches[0].show, SW_SHOW);
}

// A transfer that arrives but does not match its digest, or carries no valid
// signature, is a failed download: the dialog says so, the file is not kept,
// nothing is started, and the start goes on rather than ending with nothing
// running.
TEST_F(UpdateDialogTest, ADownloadThatFailsItsDigestOrSignatureStartsNothing) {
  const std::string md5 = Md5Hex(TestServer::Data());
  const std::string signature = dorvtest::SignWithTestKey(TestServer::Data());
  const std::pair<std::string, std::string> rows[] = {
      {Md5Hex("something else"), signature},
      {md5, ""},
      {md5, dorvtest::SignWithUnknownKey(TestServer::Data())},
  };
  for (const auto& [digest, signed_] : rows) {
    SCOPED_TRACE(signed_);
    const int result = Offer("/data", digest,
                             {[](HWND dialog) {
                                DialogDriver::Click(dialog, IDOK);
                                return true;
                              },
                              [](HWND dialog) {
                                if (DialogDriver::Text(Prompt(dialog)) != L"下载出错，请稍候重试") return false;
                                DialogDriver::Click(dialog, UpdateForm::IDC_STOP_DOWNLOAD);
                                return true;
                              }},
                             signed_);
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(fs::exists(ExeDir() / "Update" / "Update.exe"));
    EXPECT_TRUE(win32::Launcher::Recorded().empty());
  }
}

TEST_F(UpdateDialogTest, AFailedDownloadSaysSoAndOnlyClosing) {
  std::wstring prompt, stopText;
  bool failedState = false;
  const int result = Offer("/status/404", Md5Hex(TestServer::Data()),
                           {[](HWND dialog) {
                              DialogDriver::Click(dialog, IDOK);
                              return true;
                            },
                            [&](HWND dialog) {
                              prompt = DialogDriver::Text(Prompt(dialog));
                              if (prompt != L"下载出错，请稍候重试") return false;
                              stopText = DialogDriver::Text(GetDlgItem(dialog, UpdateForm::IDC_STOP_DOWNLOAD));
                              failedState = !Visible(dialog, IDOK) && !Visible(dialog, IDCANCEL) &&
                                            Visible(dialog, UpdateForm::IDC_STOP_DOWNLOAD) &&
                                            Visible(dialog, UpdateForm::IDC_PROGRESS);
                              DialogDriver::Click(dialog, UpdateForm::IDC_STOP_DOWNLOAD);
                              return true;
                            }});
  EXPECT_EQ(result, 0);
  EXPECT_EQ(stopText, L"确定");
  EXPECT_TRUE(failedState);
  EXPECT_FALSE(fs::exists(ExeDir() / "Update" / "Update.exe"));
  EXPECT_TRUE(win32::Launcher::Recorded().empty());
}

// Enter while the transfer runs starts no second one; Escape stops it and
// closes the dialog.
TEST_F(UpdateDialogTest, EscapeStopsARunningDownloadAndEnterStartsNoSecond) {
  const int result = Offer("/hold", Md5Hex(TestServer::Data()),
                           {[](HWND dialog) {
                              SetForegroundWindow(dialog);
                              display::Desktop::Get().KeyPress(VK_RETURN);
                              return true;
                            },
                            [&](HWND dialog) {
                              if (m_server.RequestCount() < 1) return false;
                              EXPECT_TRUE(Visible(dialog, UpdateForm::IDC_STOP_DOWNLOAD));
                              EXPECT_FALSE(Visible(dialog, IDOK));
                              display::Desktop::Get().KeyPress(VK_RETURN);
                              display::Desktop::Get().KeyPress(VK_ESCAPE);
                              return true;
                            }});
  EXPECT_EQ(result, 0);
  EXPECT_EQ(m_server.RequestCount(), 1);
  m_server.ReleaseHeld();
  EXPECT_TRUE(win32::Launcher::Recorded().empty());
}

// The download thread's reports set the bar synchronously, in percent.
class ProgressForm : public UpdateForm {
 public:
  using UpdateForm::UpdateForm;
  using UpdateForm::OnDownloadProgress;
};

TEST(UpdateDialogProgressTest, ReportsSetTheBarInWholePercent) {
  UpdatePackage package("http://127.0.0.1:1/setup.exe", "", "");
  ProgressForm form(L"", &package);
  std::vector<int> seen;
  std::atomic<bool> done{false};
  std::thread reporter;
  DialogDriver driver(kTitle, {[&](HWND dialog) {
                                 HWND bar = GetDlgItem(dialog, UpdateForm::IDC_PROGRESS);
                                 reporter = std::thread([&, bar] {
                                   const int reports[][2] = {{50, 200}, {100, 200}, {300, 200}, {1, 3}, {0, 0}};
                                   for (const auto& r : reports) {
                                     form.OnDownloadProgress("", r[0], r[1]);
                                     seen.push_back(static_cast<int>(SendMessageW(bar, PBM_GETPOS, 0, 0)));
                                   }
                                   done = true;
                                 });
                                 return true;
                               },
                               [&](HWND dialog) {
                                 if (!done) return false;
                                 reporter.join();
                                 PostMessageW(dialog, WM_CLOSE, 0, 0);
                                 return true;
                               }});
  EXPECT_EQ(form.DoModal(), IDCANCEL);
  EXPECT_EQ(seen, (std::vector<int>{25, 50, 50, 33, 0}));
}

}  // namespace
