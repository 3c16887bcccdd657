#pragma once
// The background download of an installer: a thread named
// "AsyncDownloadThread" that fetches the URL into the local path. The body
// goes to "<path>.part" first and replaces the local path only when it
// arrived whole with HTTP status 200, within an installer's size, matches
// the description's MD5 and carries its signature by an accepted update key,
// so an error page, a wrong file or an unsigned one never sits where the
// installer is looked for. Whoever starts the thread owns it; deleting it
// aborts a transfer in progress and joins the thread.
#include <functional>
#include <mutex>
#include <string>

#include <juce_core/juce_core.h>

#include "client/app/Dorv_WinApp.h"
#include "net/HttpTypes.h"

namespace Net {
class HttpTransport;
}

class AsyncDownloadFileThread final : public juce::Thread, public CAppBackgroundJob {
 public:
  // completion: true when the installer is in place; called on this thread.
  // progress: (URL, bytes received, total), on this thread. Either may be empty.
  using CompletionDelegate = std::function<void(bool)>;

  AsyncDownloadFileThread(const std::string& url, const std::string& md5, const std::string& signature,
                          const juce::String& localPath, CompletionDelegate completion,
                          Net::TransportDelegate progress);
  ~AsyncDownloadFileThread() override;

  void run() override;

 private:
  bool Download();

  std::string m_sURL;
  std::string m_sMD5;
  std::string m_sSignature;
  juce::String m_sLocalPath;
  Net::TransportDelegate m_progress;
  CompletionDelegate m_completion;

  std::mutex m_lock;
  Net::HttpTransport* m_pTransport = nullptr;  // while a transfer runs
  bool m_bCancelled = false;
};
