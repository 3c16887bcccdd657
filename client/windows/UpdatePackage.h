#pragma once
// The installer an update description offers: its URL and MD5, and where it
// is kept beside the program, "Update/" + the URL's file name.
//
// The file name is the last path segment of the URL without its query. A name
// that could leave the Update folder or mean something else to the file
// system (a separator, "..", a drive colon, a control character) is refused:
// the package then has no local path, verifies nothing and downloads nothing.
// An empty name becomes "Update.exe".
#include <string>

#include <juce_core/juce_core.h>

#include "client/windows/AsyncDownloadFileThread.h"

class UpdatePackage {
 public:
  // Computes the local path and creates the Update folder (a failure shows
  // later, as a download that cannot be written).
  UpdatePackage(const std::string& url, const std::string& md5);

  // False when the URL's file name was refused.
  bool HasLocalPath() const { return m_sLocalPath.isNotEmpty(); }
  const juce::String& GetLocalPath() const { return m_sLocalPath; }

  // The file at the local path is a plain file of an installer's size and its
  // MD5, as lower-case hex, equals the description's byte for byte.
  bool VerifyMd5() const;
  // Starts the verified installer: "/S /D=<program folder>" hidden when
  // silent, else "/D=<program folder>" shown. The file is made executable
  // only once it verified. False when the file does not verify or could not
  // be started.
  bool RunInstaller(bool silent);
  // Starts downloading into the local path, where only a download that
  // verifies is put; the caller owns the thread. Null when the package has no
  // local path.
  AsyncDownloadFileThread* StartDownload(AsyncDownloadFileThread::CompletionDelegate completion,
                                         Net::TransportDelegate progress);

  // Whether this installer (version and digest) was started by an earlier
  // check: an installer that did not change the version is not started again
  // at every start.
  bool WasLaunched(const std::string& versionID) const;
  void MarkLaunched(const std::string& versionID) const;

  // The file name kept for a URL; empty when refused.
  static juce::String FileNameForUrl(const std::string& url);

  std::string m_sURL;
  std::string m_sMD5;

 private:
  juce::File LaunchRecord() const;

  juce::String m_sLocalPath;
};
