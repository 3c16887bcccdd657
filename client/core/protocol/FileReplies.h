#pragma once
// The replies of the file, token and user operations. ParseResponse reads a
// response only when it arrived with HTTP status 200 (otherwise the record
// keeps what it had, -1 for a fresh one); ReadBody is its body part and sets
// code to 1000 when the body is not JSON or a member is unreadable.
#include <json/value.h>

#include <cstdint>
#include <string>

#include "client/core/protocol/ServerFileInfo.h"
#include "client/core/protocol/ServerUserInfo.h"
#include "client/core/protocol/TransportToken.h"

namespace Net {
class HttpResponse;
}

// createFile, updateFileContent, completeFile, renameFile, moveFile, delFile.
struct FileReply {
  int code = -1;
  std::string message;  // not read
  int64_t id = 0;
  int type = 0;
  ServerFileInfo file;

  static void ParseResponse(const Net::HttpResponse* response, FileReply& reply);
  static void ReadBody(const std::string& body, FileReply& reply);
  // "code", then "result"."id", "type" and "file" (every field); false when
  // a member is unreadable.
  static bool ParseBody(FileReply& reply, const Json::Value& object);
};

// uploadFileControl, downloadFileControl.
struct TransportTokenReply {
  int code = -1;
  int type = 0;
  int64_t id = 0;
  std::string message;
  TransportToken token;

  static void ParseResponse(const Net::HttpResponse* response, TransportTokenReply& reply);
  static void ReadBody(const std::string& body, TransportTokenReply& reply);
};

// getUser.
struct UserReply {
  int code = -1;
  int64_t id = 0;
  int type = 0;
  std::string message;
  ServerUserInfo user;

  static void ParseResponse(const Net::HttpResponse* response, UserReply& reply);
  static void ReadBody(const std::string& body, UserReply& reply);
};

// getUserFilesCount.
struct UserFilesCountReply {
  int code = -1;
  int64_t id = 0;
  std::string message;
  int64_t capacity = 0;
  int64_t capacityBase = 0;
  int64_t capacityAward = 0;
  int64_t spaceUsed = 0;
  int filesCount = 0;
  int dirsCount = 0;
  int incompleteFilesCount = 0;

  static void ParseResponse(const Net::HttpResponse* response, UserFilesCountReply& reply);
  static void ReadBody(const std::string& body, UserFilesCountReply& reply);
  // "spaceUsed", "filesCount", "dirsCount", "incompleteFilesCount" of a
  // "filesStats" object; false when one is unreadable.
  static bool ParseStats(UserFilesCountReply& reply, const Json::Value& stats);
};
