// Content transfers: block upload (multipart, per-block MD5) and ranged download.
#include <fstream>
#include <memory>

#include "HttpService.h"
#include "Ids.h"
#include "JsonIo.h"
#include "Md5.h"
#include "ServiceError.h"

namespace devserver {

namespace {

// The largest block accepted; the client sends at most 2 MiB.
constexpr size_t kMaxBlock = 8 * 1024 * 1024;
constexpr int kChecksumMd5 = 17;

// One range of a "Range: bytes=..." header over content of `size` bytes, as an
// inclusive [first, last]. Nothing for a header that isn't a single byte range
// (served whole); `satisfiable` false when it lies past the end.
struct ByteRange {
  int64_t first = 0;
  int64_t last = 0;
  bool satisfiable = true;
};

std::optional<ByteRange> ParseRange(const std::string& header, int64_t size) {
  const std::string prefix = "bytes=";
  if (header.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
  std::string spec = header.substr(prefix.size());
  if (spec.find(',') != std::string::npos) return std::nullopt;
  size_t dash = spec.find('-');
  if (dash == std::string::npos) return std::nullopt;
  std::string a = spec.substr(0, dash), b = spec.substr(dash + 1);
  ByteRange r;
  if (a.empty()) {  // the last n bytes
    auto n = ParseInt64(b);
    if (!n || *n < 0) return std::nullopt;
    if (*n == 0 || size == 0) return ByteRange{0, 0, false};
    r.first = std::max<int64_t>(0, size - *n);
    r.last = size - 1;
    return r;
  }
  auto first = ParseInt64(a);
  if (!first || *first < 0) return std::nullopt;
  r.first = *first;
  if (b.empty()) {
    r.last = size - 1;
  } else {
    auto last = ParseInt64(b);
    if (!last || *last < r.first) return std::nullopt;
    r.last = std::min(*last, size - 1);
  }
  if (r.first >= size) r.satisfiable = false;
  return r;
}

}  // namespace

void HttpService::Upload(Exchange& ex) {
  int64_t userId = ex.query.Int64("userId");
  std::string docURL = ex.query.GetOr("file");
  if (!ex.multipart) throw ServiceError(Code::BadRequest, "not a multipart body");
  auto descriptorPart = ex.parts.find("dataDescriptor");
  auto dataPart = ex.parts.find("dataBlocks");
  if (descriptorPart == ex.parts.end() || dataPart == ex.parts.end())
    throw ServiceError(Code::BadRequest, "dataDescriptor and dataBlocks wanted");
  Json::Value d = ParseObject(descriptorPart->second);
  int64_t offset = ReqInt32(d, "file.offset");
  int64_t length = ReqInt32(d, "file.length");
  int checkSumType = OptInt32(d, "file.checkSumType", kChecksumMd5);
  std::string checkSum = ReqString(d, "file.checkSumValue");
  int64_t dataSize = OptInt32(d, "dataSize", static_cast<int32_t>(length));
  const std::string& data = dataPart->second;
  if (offset < 0 || length < 0) throw ServiceError(Code::BadRequest, "bad block position");
  if (data.size() > kMaxBlock) throw ServiceError(Code::BadRequest, "block too large");
  if (static_cast<int64_t>(data.size()) != length || dataSize != length)
    throw ServiceError(Code::BadRequest, "block length differs from its description");
  if (checkSumType != kChecksumMd5) throw ServiceError(Code::BadRequest, "unknown checksum type");
  for (char& c : checkSum) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (Md5Hex(data) != checkSum) throw ServiceError(Code::ChecksumError, "block checksum differs");

  std::lock_guard<std::mutex> lock(m_mutex);
  auto token = m_transfers.FindToken(docURL);
  if (!token || !token->upload) throw ServiceError(Code::UploadContextIllegal, "no such upload");
  if (token->context != ex.req.get_header_value("Authorization"))
    throw ServiceError(Code::CertError, "wrong transfer credential");
  if (token->userId != userId) throw ServiceError(Code::Forbidden, "not the token's user");
  auto upload = m_transfers.FindUpload(token->fileId);
  if (!upload || upload->id != token->uploadId) throw ServiceError(Code::UploadContextIllegal, "upload is over");
  if (offset + length > upload->size) throw ServiceError(Code::BadRequest, "block past the end of the file");
  PendingUpload now = m_transfers.WriteBlock(*upload, offset, data);

  Json::Value result(Json::objectValue);
  result["id"] = Json::Int64(now.fileId);
  result["message"] = "";
  result["type"] = 0;
  Json::Value doc(Json::objectValue);
  doc["id"] = Json::Int64(now.id);
  doc["bucketId"] = Json::Int64(0);
  doc["md5"] = now.md5;
  doc["curMD5"] = "";
  doc["size"] = Json::Int64(now.size);
  doc["position"] = Json::Int64(now.position);
  doc["completed"] = now.position >= now.size;
  doc["createTime"] = Json::Int64(NowMs());
  doc["completedTime"] = Json::Int64(0);
  result["doc"] = doc;
  Reply(ex, Code::Ok, result);
}

void HttpService::Download(Exchange& ex, bool wrongMd5) {
  // The client appends any body it gets to the file, so errors carry none.
  auto fail = [&](int status) {
    ex.res.status = status;
    ex.res.set_content("", "application/octet-stream");
    ex.code = 0;
  };
  int64_t userId = ex.query.Int64("userId");
  TransferToken token;
  std::filesystem::path path;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto found = m_transfers.FindToken(ex.query.GetOr("file"));
    if (!found || found->upload) return fail(404);
    if (found->context != ex.req.get_header_value("Authorization")) return fail(401);
    if (found->userId != userId) return fail(403);
    token = *found;
    path = m_transfers.ContentPath(token.docId);
  }
  int64_t size = token.size;
  int64_t first = 0, last = size - 1;
  // The HTTP layer would cut the content again by the ranges it parsed itself.
  const_cast<httplib::Request&>(ex.req).ranges.clear();
  if (auto range = ParseRange(ex.req.get_header_value("Range"), size)) {
    if (!range->satisfiable) {
      fail(416);
      ex.res.set_header("Content-Range", "bytes */" + std::to_string(size));
      return;
    }
    first = range->first;
    last = range->last;
    ex.res.status = 206;
    ex.res.set_header("Content-Range",
                      "bytes " + std::to_string(first) + "-" + std::to_string(last) + "/" + std::to_string(size));
  } else {
    ex.res.status = 200;
  }
  int64_t length = size == 0 ? 0 : last - first + 1;
  if (length == 0) {
    ex.res.set_content("", "application/octet-stream");
    ex.code = 0;
    return;
  }
  auto file = std::make_shared<std::ifstream>(path, std::ios::binary);
  if (!*file) return fail(500);
  ex.res.set_header("Accept-Ranges", "bytes");
  ex.res.set_content_provider(
      static_cast<size_t>(length), "application/octet-stream",
      [file, first, wrongMd5](size_t offset, size_t want, httplib::DataSink& sink) {
        std::vector<char> buffer(std::min<size_t>(want, 1 << 20));
        file->clear();
        file->seekg(static_cast<std::streamoff>(first + static_cast<int64_t>(offset)));
        file->read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        std::streamsize got = file->gcount();
        if (got <= 0) return false;
        if (wrongMd5 && first + static_cast<int64_t>(offset) == 0) buffer[0] = static_cast<char>(buffer[0] ^ 0xFF);
        return sink.write(buffer.data(), static_cast<size_t>(got));
      });
  ex.code = 0;
}

}  // namespace devserver
