#include "client/core/protocol/FileReplies.h"

#include "client/core/protocol/JsonRead.h"
#include "client/core/protocol/JsonText.h"
#include "client/core/protocol/ReplyEnvelope.h"

using namespace JsonRead;

namespace {

// Parses the body and runs the reading; a body that is not JSON, a member of
// the wrong kind or a reading that reports failure leaves code 1000.
template <class Reply, class Reading>
void ReadReply(const std::string& body, Reply& reply, Reading reading) {
  Json::Value root;
  bool read = false;
  if (JsonParse(body, root)) {
    Guarded([&] { read = reading(root); });
  }
  if (!read) reply.code = ReplyEnvelope::kUnreadable;
}

}  // namespace

bool FileReply::ParseBody(FileReply& reply, const Json::Value& object) {
  return Guarded([&] {
           reply.code = ReplyEnvelope::Code(object);
           const Json::Value& result = ReplyEnvelope::Result(object);
           reply.id = Int64(result, "id");
           reply.type = Int(result, "type");
           if (!ServerFileInfo::ParseJsonWithPath(reply.file, &Member(result, "file"))) throw JsonReadError("file");
         });
}

void FileReply::ReadBody(const std::string& body, FileReply& reply) {
  ReadReply(body, reply, [&](const Json::Value& root) { return ParseBody(reply, root); });
}

void TransportTokenReply::ReadBody(const std::string& body, TransportTokenReply& reply) {
  ReadReply(body, reply, [&](const Json::Value& root) {
    reply.code = ReplyEnvelope::Code(root);
    const Json::Value& result = ReplyEnvelope::Result(root);
    reply.id = Int64(result, "id");
    reply.type = Int(result, "type");
    reply.message = String(result, "message");
    return TransportToken::ParseJson(reply.token, &Member(result, "token"));
  });
}

void UserReply::ReadBody(const std::string& body, UserReply& reply) {
  ReadReply(body, reply, [&](const Json::Value& root) {
    reply.code = ReplyEnvelope::Code(root);
    const Json::Value& result = ReplyEnvelope::Result(root);
    reply.id = Int64(result, "id");
    reply.message = String(result, "message");
    reply.type = Int(result, "type");
    return ServerUserInfo::ParseJson(reply.user, &Member(result, "user"));
  });
}

bool UserFilesCountReply::ParseStats(UserFilesCountReply& reply, const Json::Value& stats) {
  return Guarded([&] {
    reply.spaceUsed = Int64(stats, "spaceUsed");
    reply.filesCount = Int(stats, "filesCount");
    reply.dirsCount = Int(stats, "dirsCount");
    reply.incompleteFilesCount = Int(stats, "incompleteFilesCount");
  });
}

void UserFilesCountReply::ReadBody(const std::string& body, UserFilesCountReply& reply) {
  ReadReply(body, reply, [&](const Json::Value& root) {
    reply.code = ReplyEnvelope::Code(root);
    const Json::Value& result = ReplyEnvelope::Result(root);
    reply.id = Int64(result, "id");
    reply.message = String(result, "message");
    const Json::Value& user = Member(result, "user");
    reply.capacity = Int64(user, "capacity");
    reply.capacityBase = Int64(user, "capacityBase");
    reply.capacityAward = Int64(user, "capacityAward");
    return ParseStats(reply, Member(user, "filesStats"));
  });
}
