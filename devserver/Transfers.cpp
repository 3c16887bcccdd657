#include "Transfers.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <limits>

#include "Ids.h"
#include "Md5.h"
#include "ServiceError.h"

namespace devserver {

namespace {

constexpr int64_t kDownloadTokenLifeMs = 24LL * 3600 * 1000;

PendingUpload ReadUpload(const Stmt& s) {
  PendingUpload u;
  u.id = s.Int(0);
  u.fileId = s.Int(1);
  u.userId = s.Int(2);
  u.md5 = s.Text(3);
  u.size = s.Int(4);
  u.position = s.Int(5);
  u.baseG = s.Int(6);
  return u;
}

void WriteWhole(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw ServiceError(Code::Internal, "cannot write content");
}

}  // namespace

Transfers::Transfers(Store& store, const std::filesystem::path& dataDir)
    : m_store(store),
      m_content(dataDir / "content"),
      m_uploads(dataDir / "uploads"),
      m_oldestDownload(OldestDownloadToken()) {
  std::filesystem::create_directories(m_content);
  std::filesystem::create_directories(m_uploads);
}

int64_t Transfers::OldestDownloadToken() const {
  Stmt s(m_store, "SELECT COALESCE(MIN(createTime), ?) FROM tokens WHERE direction='down'");
  s.Bind(1, std::numeric_limits<int64_t>::max());
  return s.Step() ? s.Int(0) : std::numeric_limits<int64_t>::max();
}

std::filesystem::path Transfers::ContentPath(int64_t docId) const { return m_content / std::to_string(docId); }
std::filesystem::path Transfers::UploadPath(int64_t uploadId) const { return m_uploads / std::to_string(uploadId); }

std::optional<PendingUpload> Transfers::FindUpload(int64_t fileId) const {
  Stmt s(m_store, "SELECT id, fileId, userId, md5, size, position, baseG FROM uploads WHERE fileId=?");
  s.Bind(1, fileId);
  if (!s.Step()) return std::nullopt;
  return ReadUpload(s);
}

PendingUpload Transfers::BeginUpload(int64_t userId, int64_t fileId, const std::string& md5, int64_t size,
                                     int64_t baseG, bool resume) {
  if (auto existing = FindUpload(fileId)) {
    if (resume && existing->md5 == md5 && existing->size == size) {
      Stmt s(m_store, "UPDATE uploads SET baseG=? WHERE id=?");
      s.Bind(1, baseG).Bind(2, existing->id).Run();
      existing->baseG = baseG;
      return *existing;
    }
    DropUpload(fileId);
  }
  Stmt s(m_store, "INSERT INTO uploads(fileId, userId, md5, size, position, baseG, createTime) VALUES(?,?,?,?,0,?,?)");
  s.Bind(1, fileId).Bind(2, userId).Bind(3, md5).Bind(4, size).Bind(5, baseG).Bind(6, NowMs()).Run();
  PendingUpload u;
  u.id = m_store.LastInsertId();
  u.fileId = fileId;
  u.userId = userId;
  u.md5 = md5;
  u.size = size;
  u.baseG = baseG;
  WriteWhole(UploadPath(u.id), {});
  return u;
}

void Transfers::DropUpload(int64_t fileId) {
  auto existing = FindUpload(fileId);
  if (!existing) return;
  std::error_code ec;
  std::filesystem::remove(UploadPath(existing->id), ec);
  Stmt d(m_store, "DELETE FROM uploads WHERE id=?");
  d.Bind(1, existing->id).Run();
  Stmt t(m_store, "DELETE FROM tokens WHERE uploadId=?");
  t.Bind(1, existing->id).Run();
}

TransferToken Transfers::NewToken(int64_t userId, int64_t fileId, int64_t uploadId, int64_t docId, int64_t size,
                                  bool upload) {
  TransferToken t;
  t.docURL = RandomHex(16);
  t.context = RandomHex(16);
  t.userId = userId;
  t.fileId = fileId;
  t.uploadId = uploadId;
  t.docId = docId;
  t.size = size;
  t.upload = upload;
  // Download tokens last a day; upload tokens as long as their upload.
  int64_t now = NowMs();
  if (m_oldestDownload < now - kDownloadTokenLifeMs) {
    Stmt purge(m_store, "DELETE FROM tokens WHERE direction='down' AND createTime<?");
    purge.Bind(1, now - kDownloadTokenLifeMs).Run();
    m_oldestDownload = OldestDownloadToken();
  }
  if (!upload) m_oldestDownload = std::min(m_oldestDownload, now);
  Stmt s(m_store,
         "INSERT INTO tokens(docURL, context, userId, fileId, uploadId, docId, size, direction, createTime) "
         "VALUES(?,?,?,?,?,?,?,?,?)");
  s.Bind(1, t.docURL).Bind(2, t.context).Bind(3, userId).Bind(4, fileId).Bind(5, uploadId).Bind(6, docId);
  s.Bind(7, size).Bind(8, std::string(upload ? "up" : "down")).Bind(9, now).Run();
  return t;
}

std::optional<TransferToken> Transfers::FindToken(const std::string& docURL) const {
  Stmt s(m_store, "SELECT docURL, context, userId, fileId, uploadId, docId, size, direction FROM tokens WHERE docURL=?");
  s.Bind(1, docURL);
  if (!s.Step()) return std::nullopt;
  TransferToken t;
  t.docURL = s.Text(0);
  t.context = s.Text(1);
  t.userId = s.Int(2);
  t.fileId = s.Int(3);
  t.uploadId = s.Int(4);
  t.docId = s.Int(5);
  t.size = s.Int(6);
  t.upload = s.Text(7) == "up";
  return t;
}

PendingUpload Transfers::WriteBlock(const PendingUpload& upload, int64_t offset, const std::string& data) {
  PendingUpload u = upload;
  if (offset > u.position) return u;
  int fd = ::open(UploadPath(u.id).c_str(), O_WRONLY | O_CREAT, 0644);
  if (fd < 0) throw ServiceError(Code::Internal, "cannot open upload");
  bool ok = ::ftruncate(fd, offset) == 0;
  size_t done = 0;
  while (ok && done < data.size()) {
    ssize_t n = ::pwrite(fd, data.data() + done, data.size() - done, offset + static_cast<off_t>(done));
    if (n <= 0) ok = false;
    else done += static_cast<size_t>(n);
  }
  ::close(fd);
  if (!ok) throw ServiceError(Code::Internal, "cannot write upload");
  u.position = offset + static_cast<int64_t>(data.size());
  Stmt s(m_store, "UPDATE uploads SET position=? WHERE id=?");
  s.Bind(1, u.position).Bind(2, u.id).Run();
  return u;
}

std::optional<int64_t> Transfers::FindDoc(const std::string& md5, int64_t size) const {
  Stmt s(m_store, "SELECT id FROM docs WHERE md5=? AND size=? ORDER BY id LIMIT 1");
  s.Bind(1, md5).Bind(2, size);
  if (!s.Step()) return std::nullopt;
  return s.Int(0);
}

std::optional<int64_t> Transfers::CommitUpload(const PendingUpload& upload) {
  std::filesystem::path data = UploadPath(upload.id);
  std::string md5 = Md5OfFile(data);
  std::error_code ec;
  if (md5 != upload.md5 || static_cast<int64_t>(std::filesystem::file_size(data, ec)) != upload.size) {
    WriteWhole(data, {});
    Stmt s(m_store, "UPDATE uploads SET position=0 WHERE id=?");
    s.Bind(1, upload.id).Run();
    return std::nullopt;
  }
  int64_t docId;
  if (auto existing = FindDoc(upload.md5, upload.size)) {
    docId = *existing;
    std::filesystem::remove(data, ec);
  } else {
    Stmt s(m_store, "INSERT INTO docs(md5, size) VALUES(?,?)");
    s.Bind(1, upload.md5).Bind(2, upload.size).Run();
    docId = m_store.LastInsertId();
    std::filesystem::rename(data, ContentPath(docId), ec);
    if (ec) throw ServiceError(Code::Internal, "cannot store content");
  }
  Stmt d(m_store, "DELETE FROM uploads WHERE id=?");
  d.Bind(1, upload.id).Run();
  Stmt t(m_store, "DELETE FROM tokens WHERE uploadId=?");
  t.Bind(1, upload.id).Run();
  return docId;
}

int64_t Transfers::AddDoc(const std::string& bytes) {
  std::string md5 = Md5Hex(bytes);
  int64_t size = static_cast<int64_t>(bytes.size());
  if (auto existing = FindDoc(md5, size)) return *existing;
  Stmt s(m_store, "INSERT INTO docs(md5, size) VALUES(?,?)");
  s.Bind(1, md5).Bind(2, size).Run();
  int64_t docId = m_store.LastInsertId();
  WriteWhole(ContentPath(docId), bytes);
  return docId;
}

void Transfers::ClearFiles() {
  std::error_code ec;
  std::filesystem::remove_all(m_content, ec);
  std::filesystem::remove_all(m_uploads, ec);
  std::filesystem::create_directories(m_content);
  std::filesystem::create_directories(m_uploads);
}

}  // namespace devserver
