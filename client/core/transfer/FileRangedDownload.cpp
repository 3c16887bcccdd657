#include "client/core/transfer/FileRangedDownload.h"

#include <cstdio>
#include <memory>

#include "base/MyThreadsPool.h"
#include "client/core/LogWriter.h"
#include "client/core/context/ThreadsPools.h"
#include "client/core/protocol/WireSize.h"
#include "client/core/tasks/TransferTasks.h"

namespace {

const char* const kTag = "FileRangedDownload::Run";

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// The bytes of the answer that belong at start, or false when the answer
// carries no usable content for the range start..end of a size-byte file.
bool ContentOf(const Net::HttpResponse& response, int64_t start, int64_t end, int64_t size, const char*& data,
               size_t& length) {
  const std::string& body = response.GetBody();
  if (response.GetStatusCode() == 206) {
    if (static_cast<int64_t>(body.size()) > end - start + 1) return false;
    data = body.data();
    length = body.size();
    return true;
  }
  if (response.GetStatusCode() == 200 && static_cast<int64_t>(body.size()) == size) {
    data = body.data() + start;
    length = static_cast<size_t>(std::min<int64_t>(end + 1, size) - start);
    return true;
  }
  return false;
}

}  // namespace

FileRangedDownload::FileRangedDownload(const RequestHeader& header, const TransportToken& token,
                                       const juce::File& target)
    : m_header(header), m_token(token), m_target(target) {}

TransferResult FileRangedDownload::Run(int64_t size, const std::atomic<bool>* cancel) {
  m_serverCode = 0;
  m_written = 0;
  if (size < 0 || !CheckWireFileSize(size)) {
    WriteLog(ErrorLog, kTag, "Bad file size " + juce::String(size));
    return TransferResult::Failed;
  }
  std::unique_ptr<std::FILE, FileCloser> out(std::fopen(m_target.getFullPathName().toRawUTF8(), "wb"));
  if (!out) {
    WriteLog(ErrorLog, kTag, "Cannot write " + m_target.getFullPathName());
    return TransferResult::Failed;
  }
  int emptyReplies = 0;
  while (m_written < size) {
    if (cancel && cancel->load()) return TransferResult::Cancelled;
    if (m_beforeRange && !m_beforeRange()) return TransferResult::Cancelled;
    const int start = static_cast<int>(m_written);
    const int end = size == 1 ? 1 : static_cast<int>(std::min<int64_t>(m_written + kRangeSize, size - 1));
    auto* task = new DownloadFileContentTask("DownloadFileContentTask",
                                             DownloadFileRequest(m_header, m_token, start, end, std::string()));
    GetDownThreadsPool()->PostWorkTask(task, true);
    task->WaitExecuteFinishEvent();
    const Net::HttpResponse& response = task->m_response;
    const char* data = nullptr;
    size_t length = 0;
    bool failed = !task->IsSuccess();
    bool empty = false;
    if (!failed) {
      empty = response.GetBody().empty();
      failed = !empty && !ContentOf(response, start, end, size, data, length);
    }
    if (!failed && !empty) {
      failed = std::fwrite(data, 1, length, out.get()) != length;
      if (failed) WriteLog(ErrorLog, kTag, "Cannot write " + m_target.getFullPathName());
    }
    m_serverCode = response.GetStatusCode();
    task->SignReleaseEvent();
    if (failed) {
      WriteErrorCodeLog(kTag, juce::String(m_serverCode), "download file content failed");
      return TransferResult::Failed;
    }
    if (empty) {
      if (++emptyReplies > kMaxEmptyReplies) {
        WriteLog(ErrorLog, kTag, "DownloadContent is empty and try 10 times");
        return TransferResult::Failed;
      }
      continue;
    }
    m_written += static_cast<int64_t>(length);
    if (m_onRangeWritten) m_onRangeWritten(static_cast<int>(length));
  }
  if (std::fflush(out.get()) != 0) {
    WriteLog(ErrorLog, kTag, "Cannot write " + m_target.getFullPathName());
    return TransferResult::Failed;
  }
  return TransferResult::Done;
}
