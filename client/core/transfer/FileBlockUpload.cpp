#include "client/core/transfer/FileBlockUpload.h"

#include <juce_cryptography/juce_cryptography.h>

#include "client/core/LogWriter.h"
#include "client/core/context/ThreadsPools.h"
#include "client/core/protocol/WireSize.h"
#include "client/core/tasks/TransferTasks.h"
#include "base/MyThreadsPool.h"

namespace {

const char* const kTag = "FileBlockUpload::Run";

}  // namespace

FileBlockUpload::FileBlockUpload(const RequestHeader& header, const TransportToken& token, const juce::File& file)
    : m_header(header), m_token(token), m_file(file) {}

TransferResult FileBlockUpload::Run(int64_t size, const std::atomic<bool>* cancel) {
  m_reply = UploadFileContentReply();
  m_serverCode = -1;
  if (!CheckWireFileSize(size)) {
    WriteLog(ErrorLog, kTag, "File too large to upload: " + m_file.getFullPathName());
    return TransferResult::Failed;
  }
  juce::FileInputStream stream(m_file);
  if (!stream.openedOk()) {
    WriteLog(ErrorLog, kTag, "File not Exist: " + m_file.getFullPathName());
    return TransferResult::Failed;
  }
  int offset = 0;
  int failures = 0;
  std::string block;
  while (offset < size) {
    if (cancel && cancel->load()) return TransferResult::Cancelled;
    if (!ReadBlock(stream, offset, size, block)) {
      if (++failures > kMaxFailures) {
        WriteLog(ErrorLog, kTag, "Read UpFile content error try 10 times");
        return TransferResult::Failed;
      }
      continue;
    }
    const int length = static_cast<int>(block.size());
    if (!SendBlock(offset, std::move(block))) {
      if (++failures > kMaxFailures) {
        WriteLog(ErrorLog, kTag, "Send UpFile content error try 10 times");
        return TransferResult::Failed;
      }
      continue;
    }
    const int position = m_reply.doc.position;
    if (position <= offset || position > size) {
      WriteLog(ErrorLog, kTag,
               "The service named position " + juce::String(position) + " after the block at " +
                   juce::String(offset) + " of " + juce::String(size) + " bytes");
      return TransferResult::Failed;
    }
    if (m_onBlockSent) m_onBlockSent(length);
    offset = position;
  }
  m_serverCode = 200;
  return TransferResult::Done;
}

bool FileBlockUpload::ReadBlock(juce::FileInputStream& stream, int offset, int64_t size, std::string& block) {
  const int64_t want = std::min<int64_t>(kBlockSize, size - offset);
  block.resize(static_cast<size_t>(want));
  if (!stream.setPosition(offset)) return false;
  const int read = stream.read(block.data(), static_cast<int>(want));
  if (read <= 0) return false;
  block.resize(static_cast<size_t>(read));
  return true;
}

bool FileBlockUpload::SendBlock(int offset, std::string block) {
  const int length = static_cast<int>(block.size());
  const std::string md5 = juce::MD5(block.data(), block.size()).toHexString().toStdString();
  const DataDescriptor descriptor(offset, length, md5, length);
  auto* task = new UploadFileContentTask("UploadFileContentTask",
                                         UploadFileContentRequest(m_header, descriptor, m_token, std::move(block)));
  GetUpThreadsPool()->PostWorkTask(task, true);
  task->WaitExecuteFinishEvent();
  const bool success = task->IsSuccess();
  if (success) {
    task->GetResult(m_reply);
  } else {
    m_serverCode = task->m_reply.code;
    WriteMessageLog(ErrorLog, "Upload Send File Content Block Error, code " + juce::String(m_serverCode));
  }
  task->SignReleaseEvent();
  return success;
}
