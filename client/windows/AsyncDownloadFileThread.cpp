#include "client/windows/AsyncDownloadFileThread.h"

#include "client/core/GlobalConfig.h"
#include "client/core/LogWriter.h"
#include "client/windows/InstallerCheck.h"
#include "net/HttpRequest.h"
#include "net/HttpResponse.h"
#include "net/HttpTransport.h"

AsyncDownloadFileThread::AsyncDownloadFileThread(const std::string& url, const std::string& md5,
                                                 const std::string& signature, const juce::String& localPath,
                                                 CompletionDelegate completion, Net::TransportDelegate progress)
    : juce::Thread("AsyncDownloadThread"),
      m_sURL(url),
      m_sMD5(md5),
      m_sSignature(signature),
      m_sLocalPath(localPath),
      m_progress(std::move(progress)),
      m_completion(std::move(completion)) {}

AsyncDownloadFileThread::~AsyncDownloadFileThread() {
  {
    std::lock_guard<std::mutex> hold(m_lock);
    m_bCancelled = true;
    if (m_pTransport) m_pTransport->Stop();
  }
  waitForThreadToExit(-1);
}

void AsyncDownloadFileThread::run() {
  const bool done = Download();
  if (m_completion) m_completion(done);
}

bool AsyncDownloadFileThread::Download() {
  const juce::File target(m_sLocalPath);
  const juce::File part(m_sLocalPath + ".part");
  Net::HttpTransport transport(false);
  {
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_bCancelled) return false;
    m_pTransport = &transport;
  }
  bool arrived = false;
  int status = 0;
  {
    Net::HttpRequest request(Net::HTTP_GET, m_sURL);
    Net::HttpResponse response(part.getFullPathName());
    transport.SetTransportCallback(Net::TransportDelegate(), m_progress);
    transport.SetProxy(GetGlobalConfig()->GetCurrentProxy());
    transport.SetLimits(Net::LimitsFor(Net::RequestKind::LargeFile));
    arrived = transport.Transport(request, response);
    status = response.GetStatusCode();
  }
  {
    std::lock_guard<std::mutex> hold(m_lock);
    m_pTransport = nullptr;
  }
  if (!arrived || status != 200) {
    part.deleteFile();
    return false;
  }
  const InstallerVerdict verdict = CheckInstaller(part, m_sMD5, m_sSignature);
  if (verdict != InstallerVerdict::Matches) {
    const juce::String why = verdict == InstallerVerdict::NotSigned
                                 ? "it carries no valid signature of the update key"
                                 : "its size or MD5 is not the update description's";
    WriteLog(ErrorLog, "AsyncDownloadThread",
             "Installer refused, " + why + ": " + juce::String::fromUTF8(m_sURL.c_str()));
    part.deleteFile();
    return false;
  }
  return part.moveFileTo(target);
}
