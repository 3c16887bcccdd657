#include "client/core/transfer/FileRangedDownload.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include <cstdio>
#include <memory>

#include "base/MyThreadsPool.h"
#include "client/core/LogWriter.h"
#include "client/core/context/ThreadsPools.h"
#include "client/core/protocol/WireSize.h"
#include "client/core/tasks/TransferTasks.h"
#include "net/ProxySocket.h"

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

juce::String FileRangedDownload::GetMD5() const {
  md5_ctxt copy = m_md5;
  uint8_t digest[16];
  md5_result(digest, &copy);
  return juce::String::toHexString(digest, sizeof digest, 0);
}

FileRangedDownload::FileRangedDownload(const RequestHeader& header, const TransportToken& token,
                                       const juce::File& target)
    : m_header(header), m_token(token), m_target(target) {}

TransferResult FileRangedDownload::Run(int64_t size, const std::function<bool()>& shouldEnd) {
  m_serverCode = 0;
  m_localError = 0;
  m_written = 0;
  md5_init(&m_md5);
  if (size < 0 || !CheckWireFileSize(size)) {
    WriteLog(ErrorLog, kTag, "Bad file size " + juce::String(size));
    return TransferResult::Failed;
  }
  // The target may sit in the user's folder: a link planted under its name
  // is never written through.
  const int fd = ::open(m_target.getFullPathName().toRawUTF8(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC,
                        0644);
  std::unique_ptr<std::FILE, FileCloser> out(fd < 0 ? nullptr : ::fdopen(fd, "wb"));
  if (!out && fd >= 0) ::close(fd);
  if (!out) {
    m_localError = errno ? errno : EIO;
    WriteLog(ErrorLog, kTag, "Cannot write " + m_target.getFullPathName());
    return TransferResult::Failed;
  }
  // While one range is hashed and written, the next one is already on its
  // way: the service and the disk work at once. Only when no speed limit is
  // in force (each exchange keeps to the limit by itself), and only after a
  // range came back whole, so that the next one starts where it is asked.
  const auto post = [this, size](int64_t from, int& end) {
    const int start = static_cast<int>(from);
    end = size == 1 ? 1 : static_cast<int>(std::min<int64_t>(from + kRangeSize, size - 1));
    auto* task = new DownloadFileContentTask("DownloadFileContentTask",
                                             DownloadFileRequest(m_header, m_token, start, end, std::string()));
    GetDownThreadsPool()->PostWorkTask(task, true);
    return task;
  };
  const auto drop = [](DownloadFileContentTask*& task) {
    if (task == nullptr) return;
    task->Stop();
    task->SignReleaseEvent();
    task = nullptr;
  };
  DownloadFileContentTask* next = nullptr;
  int nextEnd = 0;
  int emptyReplies = 0;
  while (m_written < size) {
    DownloadFileContentTask* task = next;
    int end = nextEnd;
    next = nullptr;
    if (task == nullptr) {
      if (shouldEnd && shouldEnd()) return TransferResult::Cancelled;
      if (m_beforeRange && !m_beforeRange()) return TransferResult::Cancelled;
      task = post(m_written, end);
    }
    const int start = static_cast<int>(m_written);
    bool stopped = false;
    while (!task->WaitExecuteFinishEventFor(kCancelLookMs)) {
      if (!stopped && shouldEnd && shouldEnd()) {
        task->Stop();
        stopped = true;
      }
    }
    if (stopped) {
      task->SignReleaseEvent();
      return TransferResult::Cancelled;
    }
    const Net::HttpResponse& response = task->m_response;
    const char* data = nullptr;
    size_t length = 0;
    bool failed = !task->IsSuccess();
    bool empty = false;
    if (!failed) {
      empty = response.GetBody().empty();
      failed = !empty && !ContentOf(response, start, end, size, data, length);
    }
    bool cancelAfter = false;
    const int64_t reached = m_written + static_cast<int64_t>(length);
    if (!failed && !empty && response.GetStatusCode() == 206 && static_cast<int64_t>(length) == end - start + 1 &&
        reached < size && Net::ProxySocket::GetDownloadSpeedLimit() <= 0) {
      if ((shouldEnd && shouldEnd()) || (m_beforeRange && !m_beforeRange()))
        cancelAfter = true;
      else
        next = post(reached, nextEnd);
    }
    if (!failed && !empty) {
      md5_loop(&m_md5, reinterpret_cast<const uint8_t*>(data), static_cast<unsigned int>(length));
      failed = std::fwrite(data, 1, length, out.get()) != length;
      if (failed) {
        m_localError = errno ? errno : EIO;
        WriteLog(ErrorLog, kTag, "Cannot write " + m_target.getFullPathName());
      }
    }
    m_serverCode = response.GetStatusCode();
    task->SignReleaseEvent();
    if (failed) {
      drop(next);
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
    m_written = reached;
    if (m_onRangeWritten) m_onRangeWritten(static_cast<int>(length));
    if (cancelAfter) return TransferResult::Cancelled;
  }
  if (std::fflush(out.get()) != 0 || (m_syncToDisk && ::fdatasync(::fileno(out.get())) != 0)) {
    m_localError = errno ? errno : EIO;
    WriteLog(ErrorLog, kTag, "Cannot write " + m_target.getFullPathName());
    return TransferResult::Failed;
  }
  return TransferResult::Done;
}
