#pragma once
// The content transfers and the drop of an unfinished upload. The two
// transfers run on transports with the transfer flag set.
#include <mutex>

#include "base/WaitReleaseWorkTask.h"
#include "client/core/protocol/FileRequests.h"
#include "client/core/protocol/TransferRecords.h"
#include "client/core/transfer/TransferBuilders.h"
#include "net/HttpResponse.h"

namespace Net {
class HttpTransport;
}  // namespace Net

// uploadFile: one block, on the Up pool. Succeeds with reply code 200; the
// reply then holds the service's view of the upload. A block the service
// rejects leaves the reply empty but for its code, which stays the service's
// (or -1 when no reply was read), so the poster can act on it.
class UploadFileContentTask final : public juce::_WaitRelease_Work_Task {
 public:
  UploadFileContentTask(const juce::String& name, const UploadFileContentRequest& request)
      : _WaitRelease_Work_Task(name), m_request(request) {}
  // Takes the block's bytes over instead of copying them.
  UploadFileContentTask(const juce::String& name, UploadFileContentRequest&& request)
      : _WaitRelease_Work_Task(name), m_request(std::move(request)) {}

  int ExecuteWorkTask() override;
  void GetResult(UploadFileContentReply& out) const { out = m_reply; }

  UploadFileContentRequest m_request;
  UploadFileContentReply m_reply;
};

// downloadFile: one byte range, on the Down pool. The response keeps the
// status and the body in memory for the poster. Only a 200 or 206 answer
// carries content, so only such an answer is a success: an error status (416,
// an error page) is a failure whose status the poster still reads here.
class DownloadFileContentTask final : public juce::_WaitRelease_Work_Task {
 public:
  DownloadFileContentTask(const juce::String& name, const DownloadFileRequest& request)
      : _WaitRelease_Work_Task(name), m_request(request) {}

  int ExecuteWorkTask() override;
  // Any thread: ends the exchange at once, whether it runs or has yet to
  // start (a speed-limited range would otherwise hold its caller for long).
  void Stop();

  DownloadFileRequest m_request;
  Net::HttpResponse m_response;
  // False when the exchange failed (no answer at all).
  bool m_bAnswered = false;

 private:
  std::mutex m_stopLock;
  bool m_bStopped = false;
  Net::HttpTransport* m_pRunning = nullptr;  // the exchange's transport while it runs
};

// delFileIncomplete, on the Up pool: succeeds when the service answered with
// HTTP status 200; nothing is read.
class DeleteIncompleteFileTask final : public juce::_WaitRelease_Work_Task {
 public:
  DeleteIncompleteFileTask(const juce::String& name, const DelFileIncompleteRequest& request)
      : _WaitRelease_Work_Task(name), m_request(request) {}

  int ExecuteWorkTask() override;

  DelFileIncompleteRequest m_request;
};
