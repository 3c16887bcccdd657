#pragma once
#include <json/json.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "Store.h"

namespace devserver {

// An upload between createFile/updateFileContent and completeFile. Its bytes
// live in uploads/<id>; position is the count of contiguous bytes held.
struct PendingUpload {
  int64_t id = 0;
  int64_t fileId = 0;
  int64_t userId = 0;
  std::string md5;
  int64_t size = 0;
  int64_t position = 0;
  int64_t baseG = 0;  // the file's g when the upload began: a newer one is a conflict
};

// Permission to transfer one file's content: docURL names it, context is the
// credential the transfer sends as Authorization.
struct TransferToken {
  std::string docURL;
  std::string context;
  int64_t userId = 0;
  int64_t fileId = 0;
  int64_t uploadId = 0;
  int64_t docId = 0;
  int64_t size = 0;
  bool upload = false;
};

// Content storage (content/<docId>, immutable once written, shared by files of
// equal MD5 and size), uploads in progress and transfer tokens. Callers hold
// the service lock, except for reading a content file.
class Transfers {
 public:
  Transfers(Store& store, const std::filesystem::path& dataDir);

  std::optional<PendingUpload> FindUpload(int64_t fileId) const;
  // Starts an upload for the file. An upload of the same content already
  // under way is resumed when asked (its position kept); any other is replaced.
  PendingUpload BeginUpload(int64_t userId, int64_t fileId, const std::string& md5, int64_t size, int64_t baseG,
                            bool resume);
  // Drops the file's upload, its bytes and its tokens.
  void DropUpload(int64_t fileId);

  TransferToken NewToken(int64_t userId, int64_t fileId, int64_t uploadId, int64_t docId, int64_t size, bool upload);
  std::optional<TransferToken> FindToken(const std::string& docURL) const;

  // Writes one block at offset; a block past the held bytes is not stored
  // (the reply's position makes the client resend from there).
  PendingUpload WriteBlock(const PendingUpload& upload, int64_t offset, const std::string& data);

  // Turns a finished upload into content and returns its id. Content that
  // doesn't match the upload's MD5 is discarded (the upload restarts from 0)
  // and nothing is returned.
  std::optional<int64_t> CommitUpload(const PendingUpload& upload);
  std::optional<int64_t> FindDoc(const std::string& md5, int64_t size) const;
  // Stores bytes as content (or finds equal content) and returns its id.
  int64_t AddDoc(const std::string& bytes);

  std::filesystem::path ContentPath(int64_t docId) const;
  std::filesystem::path UploadPath(int64_t uploadId) const;
  // Removes every content and upload file (the store's rows are cleared by the caller).
  void ClearFiles();

 private:
  int64_t OldestDownloadToken() const;

  Store& m_store;
  std::filesystem::path m_content;
  std::filesystem::path m_uploads;
  // No download token was made before this time (ms): until it is a day old,
  // purging expired tokens, a scan of them all, would find nothing.
  int64_t m_oldestDownload;
};

}  // namespace devserver
