#include "client/core/protocol/FileReplies.h"

#include "client/core/protocol/JsonRead.h"
#include "client/core/protocol/JsonText.h"
#include "client/core/protocol/ReplyEnvelope.h"
#include "net/HttpResponse.h"

using namespace JsonRead;

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
  ReplyEnvelope::ReadBodyOrMarkUnreadable(body, reply, [&](const Json::Value& root) { return ParseBody(reply, root); });
}

void TransportTokenReply::ReadBody(const std::string& body, TransportTokenReply& reply) {
  ReplyEnvelope::ReadBodyOrMarkUnreadable(body, reply, [&](const Json::Value& root) {
    reply.code = ReplyEnvelope::Code(root);
    const Json::Value& result = ReplyEnvelope::Result(root);
    reply.id = Int64(result, "id");
    reply.type = Int(result, "type");
    reply.message = String(result, "message");
    return TransportToken::ParseJson(reply.token, &Member(result, "token"));
  });
}

void UserReply::ReadBody(const std::string& body, UserReply& reply) {
  ReplyEnvelope::ReadBodyOrMarkUnreadable(body, reply, [&](const Json::Value& root) {
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
  ReplyEnvelope::ReadBodyOrMarkUnreadable(body, reply, [&](const Json::Value& root) {
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

void FileReply::ParseResponse(const Net::HttpResponse* response, FileReply& reply) {
  ReplyEnvelope::ReadResponse(response, reply);
}

void TransportTokenReply::ParseResponse(const Net::HttpResponse* response, TransportTokenReply& reply) {
  ReplyEnvelope::ReadResponse(response, reply);
}

void UserReply::ParseResponse(const Net::HttpResponse* response, UserReply& reply) {
  ReplyEnvelope::ReadResponse(response, reply);
}

void UserFilesCountReply::ParseResponse(const Net::HttpResponse* response, UserFilesCountReply& reply) {
  ReplyEnvelope::ReadResponse(response, reply);
}
