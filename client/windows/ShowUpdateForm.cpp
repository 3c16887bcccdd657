// The application object's update offer: the dialog, then the installer.
#include "client/app/Dorv_WinApp.h"
#include "client/core/LogWriter.h"
#include "client/windows/UpdateForm.h"
#include "client/windows/UpdateInfo.h"
#include "client/windows/UpdatePackage.h"
#include "common/StringConvert.h"

int CDorv_WinApp::ShowUpdateForm(int mode, UpdateInfo& info, UpdatePackage& package) {
  if (mode == 0) {
    CString description;
    Common::utf8_to_CString(info.m_sDescription, description);
    INT_PTR answer = IDCANCEL;
    {
      UpdateForm form(description, &package);
      answer = form.DoModal();
    }
    return answer == IDOK ? ShowUpdateForm(1, info, package) : 0;
  }
  if (mode != 1) return 0;
  // A download that arrived but does not match its digest, or an installer
  // that cannot be started, leaves the program to start as usual: ending the
  // start then would leave the user with nothing running.
  if (!package.RunInstaller(false)) {
    WriteLog(ErrorLog, "ShowUpdateForm", "Installer could not be started: " + package.GetLocalPath());
    FreeLog();
    return 0;
  }
  package.MarkLaunched(info.m_sVersionID);
  return 1;
}
