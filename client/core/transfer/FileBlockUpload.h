#pragma once
// Sends a file's content to the upload service in blocks of 2 MiB, each with
// the MD5 of its bytes, as one UploadFileContentTask on the Up pool per block.
// The service's answer names where the next block starts (its doc.position),
// so the loop follows the service, not its own count. Every run starts at
// byte 0. While a block is on its way, the block after it is read and hashed,
// and used when the service names its offset.
//
// A block that fails (no answer, or an error code) is sent again; the
// eleventh failure of a run ends it. An answer whose position does not lie
// past the block's start, or lies beyond the file's size, ends the upload as
// failed at once: following it would send the same bytes forever.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include <juce_core/juce_core.h>

#include "client/core/protocol/RequestHeader.h"
#include "client/core/protocol/TransportToken.h"
#include "client/core/transfer/TransferResult.h"
#include "client/core/transfer/TransferBuilders.h"

class UploadFileContentTask;

class FileBlockUpload {
 public:
  static constexpr int kBlockSize = 2097152;
  static constexpr int kMaxFailures = 10;

  FileBlockUpload(const RequestHeader& header, const TransportToken& token, const juce::File& file);

  // Sends the first size bytes of the file (the size announced to the
  // service). cancel, when given, is polled before every block.
  TransferResult Run(int64_t size, const std::atomic<bool>* cancel = nullptr);

  // Called after each accepted block with its length.
  std::function<void(int length)> m_onBlockSent;
  // Called before each block (it may wait, e.g. while the engine is paused);
  // false ends the run as cancelled.
  std::function<bool()> m_beforeBlock;

  // The code of the last failed answer (-1 when none was read), 200 after a
  // run that ended well.
  int GetServerCode() const { return m_serverCode; }
  // The service's view of the upload after the last accepted block.
  const UploadFileContentReply& GetReply() const { return m_reply; }

 private:
  // One block read from the file, with the MD5 of its bytes.
  struct Block {
    int offset = -1;
    std::string data;
    std::string md5;
  };
  bool ReadBlock(juce::FileInputStream& stream, int offset, int64_t size, Block& block);
  // Posts the block's task to the Up pool; the block's bytes move into it.
  UploadFileContentTask* PostBlock(Block& block);
  // Waits for the task, keeps its reply (or its code), lets it go; its success.
  bool FinishBlock(UploadFileContentTask* task);

  RequestHeader m_header;
  TransportToken m_token;
  juce::File m_file;
  UploadFileContentReply m_reply;
  int m_serverCode = -1;
};
