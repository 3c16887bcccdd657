#pragma once
// The installer an update description offers: its URL, MD5 and signature, and
// where it is kept beside the program. The file name is the program's own,
// "Update/Update.exe", whatever the URL names: a name from the network never
// chooses a file here.
#include <string>

#include <juce_core/juce_core.h>

#include "client/windows/AsyncDownloadFileThread.h"

class UpdatePackage {
 public:
  // Computes the local path and creates the Update folder (a failure shows
  // later, as a download that cannot be written).
  UpdatePackage(const std::string& url, const std::string& md5, const std::string& signature);

  const juce::String& GetLocalPath() const { return m_sLocalPath; }

  // The file at the local path is a plain file of an installer's size, its
  // MD5, as lower-case hex, equals the description's byte for byte, and its
  // bytes carry the description's signature by an accepted update key.
  bool VerifyMd5() const;
  // Starts the verified installer: "/S /D=<program folder>" hidden when
  // silent, else "/D=<program folder>" shown. The file is made executable
  // only once it verified. False when the file does not verify or could not
  // be started.
  bool RunInstaller(bool silent);
  // Starts downloading into the local path, where only a download that
  // verifies is put; the caller owns the thread.
  AsyncDownloadFileThread* StartDownload(AsyncDownloadFileThread::CompletionDelegate completion,
                                         Net::TransportDelegate progress);

  // Whether this installer (version and digest) was started by an earlier
  // check: an installer that did not change the version is not started again
  // at every start.
  bool WasLaunched(const std::string& versionID) const;
  void MarkLaunched(const std::string& versionID) const;

  std::string m_sURL;
  std::string m_sMD5;
  std::string m_sSignature;

 private:
  juce::File LaunchRecord() const;

  juce::String m_sLocalPath;
};
