#include "client/core/transfer/TransferBuilders.h"

#include <json/value.h>

#include "client/core/protocol/QueryString.h"
#include "client/core/protocol/ReplyEnvelope.h"
#include "client/core/protocol/RequestFrame.h"
#include "client/core/protocol/ServerList.h"
#include "net/HttpDataStream.h"
#include "net/HttpRequest.h"
#include "net/HttpResponse.h"

using namespace JsonRead;

namespace {

// The transfer URL: "op", "a" when signed in, "userId", then "file".
std::string TransferUrl(const std::string& base, const char* operation, const RequestHeader& header,
                        const TransportToken& token) {
  std::string url = AccountOperationUrl(base, operation);
  AppendQueryInt64(url, "userId", header.userId);
  AppendQueryString(token.docURL, url, "file");
  return url;
}

}  // namespace

std::string DataDescriptorText(const DataDescriptor& descriptor) {
  Json::Value body;
  Json::Value& file = body["file"];
  file["offset"] = descriptor.offset;
  file["length"] = descriptor.length;
  file["checkSumType"] = descriptor.checkSumType;
  file["checkSumValue"] = descriptor.checkSumValue;
  body["dataSize"] = descriptor.dataSize;
  if (!descriptor.dataBlocks.empty()) {
    Json::Value& blocks = body["dataBlocks"];
    for (const DataBlockInfo& block : descriptor.dataBlocks) {
      Json::Value entry;
      entry["docId"] = Json::Int64(block.docId);
      entry["offset"] = block.offset;
      entry["length"] = block.length;
      entry["checkSumType"] = block.checkSumType;
      entry["checkSumValue"] = block.checkSumValue;
      blocks.append(entry);
    }
  }
  return JsonToText(body);
}

void FillUploadFileContentRequest(const UploadFileContentRequest& record, Net::HttpRequest* request) {
  if (!request) return;
  request->SetHttpRequest(Net::HTTP_POST, TransferUrl(ServerList::GetInstance()->GetUploadServer(), "uploadFile",
                                                      record.header, record.token));
  request->AddHeaderField("Authorization", record.token.context);
  request->AddField("dataDescriptor", DataDescriptorText(record.descriptor));
  request->AddFile("dataBlocks", new Net::HttpDataStream(record.data.data(), static_cast<int>(record.data.size())));
}

void FillDownloadFileRequest(const DownloadFileRequest& record, Net::HttpRequest* request) {
  if (!request) return;
  std::string url =
      TransferUrl(ServerList::GetInstance()->GetDownloadServer(), "downloadFile", record.header, record.token);
  AppendQueryString(record.fileName, url, "fileName");
  request->SetHttpRequest(Net::HTTP_GET, url);
  request->AddHeaderField("Authorization", record.token.context);
  request->SetHttpAcceptRanges(record.rangeStart, record.rangeEnd);
}

void ParseUploadFileContentResponse(const Net::HttpResponse* response, UploadFileContentReply& reply) {
  if (!ReplyEnvelope::IsReadable(response != nullptr, response ? response->GetStatusCode() : 0)) return;
  ReadUploadFileContentBody(response->GetBody(), reply);
}

void ReadUploadFileContentBody(const std::string& body, UploadFileContentReply& reply) {
  ReplyEnvelope::ReadBodyOrMarkUnreadable(body, reply, [&](const Json::Value& root) {
    reply.code = ReplyEnvelope::Code(root);
    const Json::Value& result = ReplyEnvelope::Result(root);
    reply.id = Int64(result, "id");
    reply.message = String(result, "message");
    reply.type = Int(result, "type");
    return UploadDocInfo::ParseJson(reply.doc, &Member(result, "doc"));
  });
}
