#include "client/windows/UpdateCheck.h"

#include "client/app/Dorv_WinApp.h"
#include "client/core/LogWriter.h"
#include "client/windows/UpdateInfo.h"
#include "client/windows/UpdatePackage.h"

namespace {

const char* const kLogFunction = "CheckForUpdate";

juce::String Utf8(const std::string& text) { return juce::String::fromUTF8(text.c_str()); }

// The check runs before the start-up opens the log with its welcome text: the
// log is closed again after the line, so that the start-up still opens it.
void Log(int level, const juce::String& message) {
  WriteLog(level, kLogFunction, message);
  FreeLog();
}

}  // namespace

int CheckForUpdate(CAppBackgroundJob*& download) {
  download = nullptr;
  UpdateInfo info;
  ReadLocalVersion(info);  // without the file the local version is ""
  if (!info.FetchUpdateXml()) return 0;
  if (info.m_sVersionID == info.m_sLocalVersion) return 0;

  UpdatePackage package(info.m_sURL, info.m_sMD5);
  if (!package.HasLocalPath()) {
    Log(ErrorLog, "Update refused, unsafe installer name: " + Utf8(info.m_sURL));
    return 0;
  }
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

int CheckForUpdate(CDorv_WinApp* app) {
  CAppBackgroundJob* download = nullptr;
  const int result = CheckForUpdate(download);
  if (app)
    app->m_pUpdateDownload = download;
  else
    delete download;
  return result;
}
