#include "client/core/protocol/DirReplies.h"

#include "client/core/protocol/JsonRead.h"
#include "client/core/protocol/JsonText.h"
#include "client/core/protocol/ReplyEnvelope.h"

using namespace JsonRead;

namespace {

// Reads the envelope and the common members of a folder reply, then the
// payload; false when the body is not JSON or anything is unreadable.
template <class Reply, class Payload>
bool ParseFolderReply(const std::string& body, Reply& reply, Payload readPayload) {
  Json::Value root;
  if (!JsonParse(body, root)) return false;
  bool payloadRead = false;
  const bool envelopeRead = Guarded([&] {
    reply.code = ReplyEnvelope::Code(root);
    const Json::Value& result = ReplyEnvelope::Result(root);
    reply.id = Int64(result, "id");
    reply.message = String(result, "message");
    reply.type = Int(result, "type");
    payloadRead = readPayload(result);
  });
  return envelopeRead && payloadRead;
}

}  // namespace

bool DirReply::ParseBody(const std::string& body, DirReply& reply) {
  return ParseFolderReply(body, reply, [&](const Json::Value& result) {
    return ServerDirInfo::ParseJson(reply.dir, &Member(result, "dir"));
  });
}

bool DirTreeReply::ParseBody(const std::string& body, DirTreeReply& reply) {
  return ParseFolderReply(body, reply, [&](const Json::Value& result) {
    return ServerDirTree::ParseJson(&Member(result, "dir"), reply.dir);
  });
}

bool DirFilesReply::ParseBody(const std::string& body, DirFilesReply& reply) {
  return ParseFolderReply(
      body, reply, [&](const Json::Value& result) { return DirContent::ParseJson(&Member(result, "dir"), reply.dir); });
}

bool SyncDirReply::ParseBody(const std::string& body, SyncDirReply& reply) {
  return ParseFolderReply(body, reply,
                          [&](const Json::Value& result) { return ParseEntries(Array(result, "dirFiles"), reply); });
}

bool SyncDirReply::ParseEntries(const Json::Value& array, SyncDirReply& reply) {
  if (array.isNull()) return true;
  if (!array.isArray()) return false;
  bool allRead = true;
  for (const Json::Value& element : array) {
    auto entry = std::make_unique<DirEntry>();
    const bool read = Guarded([&] {
      if (Bool(element, "isFile")) {
        entry->isDir = false;
        entry->file = std::make_unique<ServerFileInfo>();
        if (!ServerFileInfo::ParseJson(*entry->file, &Member(element, "file"))) throw JsonReadError("file");
      } else {
        entry->dir = std::make_unique<ServerDirInfo>();
        if (!ServerDirInfo::ParseJson(*entry->dir, &Member(element, "dir"))) throw JsonReadError("dir");
      }
    });
    if (read) {
      reply.dirFiles.push_back(std::move(entry));
    } else {
      allRead = false;
    }
  }
  return allRead;
}
