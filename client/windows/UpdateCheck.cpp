#include "client/windows/UpdateCheck.h"

#include "client/app/Dorv_WinApp.h"
#include "client/core/LogWriter.h"
#include "client/windows/UpdateInfo.h"
#include "client/windows/UpdatePackage.h"
#include "display/Desktop.h"

namespace {

const char* const kLogFunction = "CheckForUpdate";

juce::String Utf8(const std::string& text) { return juce::String::fromUTF8(text.c_str()); }

void Log(int level, const juce::String& message) { WriteLog(level, kLogFunction, message); }

}  // namespace

int CheckForUpdate(CAppBackgroundJob*& download, UserToAsk user) {
  download = nullptr;
  UpdateInfo info;
  ReadLocalVersion(info);  // without the file the local version is ""
  if (!info.FetchUpdateXml()) return 0;
  if (info.m_sVersionID == info.m_sLocalVersion) return 0;
  if (!info.m_bSilent && user == UserToAsk::Absent) {
    // Its dialog, or an installer that asks, would wait for a user who never
    // comes; the offer comes again at a start with a display.
    Log(KeyPoint, "Update to version " + Utf8(info.m_sVersionID) + " skipped: it needs the user and no display shows it");
    return 0;
  }

  UpdatePackage package(info.m_sURL, info.m_sMD5, info.m_sSignature);
  if (package.VerifyMd5()) {
    // An installer that was started and still left this version in place
    // would otherwise be started again at every start, and the program would
    // never come up.
    if (package.WasLaunched(info.m_sVersionID)) {
      Log(ErrorLog, "Installer of version " + Utf8(info.m_sVersionID) + " already started once");
      return 0;
    }
    if (!package.RunInstaller(info.m_bSilent)) {
      Log(ErrorLog, "Installer could not be started: " + package.GetLocalPath());
      return 0;
    }
    package.MarkLaunched(info.m_sVersionID);
    return 1;
  }
  if (info.m_bSilent) {
    download = package.StartDownload({}, {});
    return 0;
  }
  return CDorv_WinApp::ShowUpdateForm(0, info, package);
}

// The application class is the program's own: a sanitizer's dynamic-type check on it
// would make this library need the program's type information to link.
__attribute__((no_sanitize("vptr"))) int CheckForUpdate(CDorv_WinApp* app) {
  CAppBackgroundJob* download = nullptr;
  const UserToAsk user = display::Desktop::Get().HasPresenter() ? UserToAsk::Present : UserToAsk::Absent;
  const int result = CheckForUpdate(download, user);
  if (app)
    app->m_pUpdateDownload = download;
  else
    delete download;
  return result;
}
