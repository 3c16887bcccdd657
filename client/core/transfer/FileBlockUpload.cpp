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
  Block next;
  while (offset < size) {
    if (cancel && cancel->load()) return TransferResult::Cancelled;
    if (m_beforeBlock && !m_beforeBlock()) return TransferResult::Cancelled;
    Block block;
    if (next.offset == offset) {
      block = std::move(next);
    } else if (!ReadBlock(stream, offset, size, block)) {
      if (++failures > kMaxFailures) {
        WriteLog(ErrorLog, kTag, "Read UpFile content error try 10 times");
        return TransferResult::Failed;
      }
      continue;
    }
    const int length = static_cast<int>(block.data.size());
    UploadFileContentTask* task = PostBlock(block);
    next = Block();
    if (offset + length < size) ReadBlock(stream, offset + length, size, next);
    if (!FinishBlock(task)) {
      if (++failures > kMaxFailures) {
        WriteLog(ErrorLog, kTag, "Send UpFile content error try 10 times");
        return TransferResult::Failed;
      }
      next = Block();
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

bool FileBlockUpload::ReadBlock(juce::FileInputStream& stream, int offset, int64_t size, Block& block) {
  block = Block();
  const int64_t want = std::min<int64_t>(kBlockSize, size - offset);
  block.data.resize(static_cast<size_t>(want));
  if (!stream.setPosition(offset)) return false;
  const int read = stream.read(block.data.data(), static_cast<int>(want));
  if (read <= 0) return false;
  block.data.resize(static_cast<size_t>(read));
  block.md5 = juce::MD5(block.data.data(), block.data.size()).toHexString().toStdString();
  block.offset = offset;
  return true;
}

UploadFileContentTask* FileBlockUpload::PostBlock(Block& block) {
  const int length = static_cast<int>(block.data.size());
  UploadFileContentRequest request(m_header, DataDescriptor(block.offset, length, block.md5, length), m_token,
                                   std::string());
  request.data = std::move(block.data);
  auto* task = new UploadFileContentTask("UploadFileContentTask", std::move(request));
  GetUpThreadsPool()->PostWorkTask(task, true);
  return task;
}

bool FileBlockUpload::FinishBlock(UploadFileContentTask* task) {
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
