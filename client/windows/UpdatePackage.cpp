#include "client/windows/UpdatePackage.h"

#include "client/windows/ExeDirectory.h"
#include "client/windows/InstallerCheck.h"
#include "common/PathText.h"
#include "win32/Handle.h"
#include "win32/PrivateFiles.h"
#include "win32/ShellExecute.h"
#include "win32/Windows.h"

namespace {

const juce::String kUpdateFolder = juce::String("Update") + juce::String::charToString(Common::kPathSeparator);

juce::String UpdateFolder() { return GetExeDirectory() + kUpdateFolder; }

}  // namespace

UpdatePackage::UpdatePackage(const std::string& url, const std::string& md5, const std::string& signature)
    : m_sURL(url), m_sMD5(md5), m_sSignature(signature) {
  // Installers wait here to be run: nobody else may put one in or read it.
  win32::MakePrivateFolder(UpdateFolder().toStdString());
  m_sLocalPath = UpdateFolder() + "Update.exe";
}

bool UpdatePackage::VerifyMd5() const {
  return CheckInstaller(juce::File(m_sLocalPath), m_sMD5, m_sSignature) == InstallerVerdict::Matches;
}

bool UpdatePackage::RunInstaller(bool silent) {
  if (!VerifyMd5()) return false;
  // Only a verified installer is made a program.
  if (!juce::File(m_sLocalPath).setExecutePermission(true)) return false;
  const juce::String parameters = juce::String(silent ? "/S /D=" : "/D=") + GetExeDirectory();
  const std::wstring file = m_sLocalPath.toWideCharPointer();
  const std::wstring params = parameters.toWideCharPointer();
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"open";
  info.lpFile = file.c_str();
  info.lpParameters = params.c_str();
  info.nShow = silent ? SW_HIDE : SW_SHOW;
  const BOOL started = ::ShellExecuteExW(&info);
  // Nobody waits for the installer.
  if (info.hProcess) ::CloseHandle(info.hProcess);
  return started != FALSE;
}

AsyncDownloadFileThread* UpdatePackage::StartDownload(AsyncDownloadFileThread::CompletionDelegate completion,
                                                      Net::TransportDelegate progress) {
  auto* thread = new AsyncDownloadFileThread(m_sURL, m_sMD5, m_sSignature, m_sLocalPath, std::move(completion),
                                             std::move(progress));
  thread->startThread();
  return thread;
}

juce::File UpdatePackage::LaunchRecord() const { return juce::File(UpdateFolder() + "launched.txt"); }

bool UpdatePackage::WasLaunched(const std::string& versionID) const {
  const juce::File record = LaunchRecord();
  if (!record.existsAsFile()) return false;
  return record.loadFileAsString().toStdString() == versionID + "\n" + m_sMD5 + "\n";
}

void UpdatePackage::MarkLaunched(const std::string& versionID) const {
  win32::WritePrivateFile(LaunchRecord().getFullPathName().toStdString(), versionID + "\n" + m_sMD5 + "\n");
}
