#pragma once
// Fetches a file's content from the download service in ranges, as one DownloadFileContentTask on the Down pool per range, and writes
// it into a local file from byte 0. The loop advances by the length of each
// body it receives.
//
// Only content is written: a range counts when its answer is 206 with at
// most the bytes asked for, or 200 with the whole content (a service that
// ignores ranges). A range asks 409,601 bytes (start..start+409,600,
// inclusive, cut at the file's end; a one-byte file asks 0..1). Any other status, an error page, a body longer than asked
// or a broken exchange ends the download as failed; an empty body is asked
// again, at most ten times per run.
#include <cstdint>
#include <functional>

#include <juce_core/juce_core.h>

#include "client/core/protocol/RequestHeader.h"
#include "client/core/protocol/TransportToken.h"
#include "client/core/transfer/TransferResult.h"
#include "common/Md5.h"

class FileRangedDownload {
 public:
  static constexpr int kRangeSize = 409600;
  static constexpr int kMaxEmptyReplies = 10;
  // How often a range in flight looks at the cancel flag.
  static constexpr int kCancelLookMs = 50;

  FileRangedDownload(const RequestHeader& header, const TransportToken& token, const juce::File& target);

  // Writes the size bytes of the content into the target, replacing what it
  // held. shouldEnd, when given, is asked before every range and while one
  // runs: a range in flight then ends at once.
  TransferResult Run(int64_t size, const std::function<bool()>& shouldEnd = {});

  // Called after each range written with its length.
  std::function<void(int length)> m_onRangeWritten;
  // Called before each range (it may wait, e.g. while the engine is paused);
  // false ends the run as cancelled.
  std::function<bool()> m_beforeRange;
  // The content is on the disk itself (not only in its cache) before a run
  // ends as done: a file about to take a name survives a power loss whole.
  bool m_syncToDisk = false;

  // The HTTP status of the answer that ended a failed run (0 without one).
  int GetServerCode() const { return m_serverCode; }
  int64_t GetBytesWritten() const { return m_written; }
  // The MD5 (lower-case hex) of the bytes written, taken as they arrived:
  // the file need not be read again to check it.
  juce::String GetMD5() const;
  // The errno of a failed run that could not write the target (0 when the
  // run did not fail so): the disk's refusal, no answer of the service's.
  int GetLocalError() const { return m_localError; }

 private:
  RequestHeader m_header;
  TransportToken m_token;
  juce::File m_target;
  int m_serverCode = 0;
  int m_localError = 0;
  int64_t m_written = 0;
  md5_ctxt m_md5{};
};
