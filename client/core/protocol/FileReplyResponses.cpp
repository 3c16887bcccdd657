// The response side of the file replies: only a response with HTTP status
// 200 is read.
#include "client/core/protocol/FileReplies.h"
#include "client/core/protocol/ReplyEnvelope.h"
#include "net/HttpResponse.h"

namespace {

template <class Reply>
void ReadResponse(const Net::HttpResponse* response, Reply& reply) {
  if (!ReplyEnvelope::IsReadable(response != nullptr, response ? response->GetStatusCode() : 0)) return;
  Reply::ReadBody(response->GetBody(), reply);
}

}  // namespace

void FileReply::ParseResponse(const Net::HttpResponse* response, FileReply& reply) { ReadResponse(response, reply); }

void TransportTokenReply::ParseResponse(const Net::HttpResponse* response, TransportTokenReply& reply) {
  ReadResponse(response, reply);
}

void UserReply::ParseResponse(const Net::HttpResponse* response, UserReply& reply) { ReadResponse(response, reply); }

void UserFilesCountReply::ParseResponse(const Net::HttpResponse* response, UserFilesCountReply& reply) {
  ReadResponse(response, reply);
}
