#include "client/core/protocol/AppRequests.h"

#include <json/value.h>
#include <juce_cryptography/juce_cryptography.h>
#include <unistd.h>

#include <cstdio>
#include <mutex>

#include "client/core/protocol/JsonRead.h"
#include "client/core/protocol/JsonText.h"
#include "client/core/protocol/QueryString.h"
#include "client/core/protocol/ReplyEnvelope.h"
#include "client/core/protocol/RequestFrame.h"
#include "client/core/protocol/ServerList.h"
#include "common/NetworkInfo.h"
#include "common/StringConvert.h"
#include "win32/SystemInfo.h"
#include "net/HttpRequest.h"
#include "net/HttpResponse.h"

using namespace JsonRead;

namespace {

void Post(Net::HttpRequest* request, const char* operation, const Json::Value& body) {
  request->SetHttpRequest(Net::HTTP_POST, OperationUrl(ServerList::GetInstance()->GetAppServer(), operation));
  SetJsonPostContent(body, request);
}

// Reads the envelope and runs the reading with the "result" object; an
// unreadable body leaves code 1000 and the ok flag false.
template <class Reply, class Reading>
void ReadAppReply(const std::string& body, Reply& reply, Reading reading) {
  const bool read = ReplyEnvelope::ReadBodyOrMarkUnreadable(body, reply, [&](const Json::Value& root) {
    reply.code = ReplyEnvelope::Code(root);
    reading(ReplyEnvelope::Result(root));
    return true;
  });
  if (!read) reply.ok = false;
}

}  // namespace

std::string PasswordDigest(const std::string& password) {
  return juce::MD5(password.data(), password.size()).toHexString().toStdString();
}

void AuthenRequest::FillHttpRequest(const AuthenRequest& record, Net::HttpRequest* request, Password password) {
  if (!request) return;
  Json::Value body;
  body["account"] = record.account;
  body["pwd"] = password == Password::Hashed ? record.password : PasswordDigest(record.password);
  body["ip"] = record.ip;
  body["name"] = GetComputerNameUtf8();
  Post(request, "APP_AUTHEN", body);
  request->AddHeaderField("User-Agent", BuildUserAgent());
}

void LogoutRequest::FillHttpRequest(const LogoutRequest& record, Net::HttpRequest* request) {
  if (!request) return;
  Json::Value body;
  body["account"] = record.account;
  body["cid"] = record.cid;
  Post(request, "APP_LOGOUT", body);
}

void GetSidRequest::FillHttpRequest(const GetSidRequest& record, Net::HttpRequest* request) {
  if (!request) return;
  Json::Value body;
  body["pz"] = record.pz;
  body["cid"] = record.cid;
  body["name"] = GetComputerNameUtf8();
  Post(request, "APP_GET_SID", body);
  request->AddHeaderField("User-Agent", BuildUserAgent());
  request->AddHeaderField("x-hlvn-meta-product", record.product);
}

void GetCidRequest::FillHttpRequest(const GetCidRequest& record, Net::HttpRequest* request) {
  if (!request) return;
  Json::Value body;
  body["pz"] = record.pz;
  body["ip"] = record.ip;
  body["name"] = GetComputerNameUtf8();
  Post(request, "APP_GET_CID", body);
  request->AddHeaderField("User-Agent", BuildUserAgent());
  request->AddHeaderField("x-hlvn-meta-product", record.product);
}

void AuthenReply::ReadBody(const std::string& body, AuthenReply& reply) {
  ReadAppReply(body, reply, [&](const Json::Value& result) {
    reply.cid = String(result, "cid");
    reply.sid = String(result, "sid");
    reply.pz = String(result, "pz");
    reply.userId = Int64(result, "userId");
    reply.name = String(result, "name");
    reply.product = String(result, "product");
    reply.firstLogin = Int(result, "firstLogin");
    reply.account = String(result, "account");
    reply.ok = reply.code == ReplyEnvelope::kSuccess;
  });
}

void LogoutReply::ReadBody(const std::string& body, LogoutReply& reply) {
  ReadAppReply(body, reply, [&](const Json::Value&) { reply.ok = reply.code == ReplyEnvelope::kSuccess; });
}

void GetSidReply::ReadBody(const std::string& body, GetSidReply& reply) {
  ReadAppReply(body, reply, [&](const Json::Value& result) {
    reply.sid = String(result, "sid");
    reply.ok = reply.code == ReplyEnvelope::kSuccess && !reply.sid.empty();
  });
}

void GetCidReply::ReadBody(const std::string& body, GetCidReply& reply) {
  ReadAppReply(body, reply, [&](const Json::Value& result) {
    reply.cid = String(result, "cid");
    reply.sid = String(result, "sid");
    reply.ok = reply.code == ReplyEnvelope::kSuccess && !reply.cid.empty();
  });
}

void AuthenReply::ParseResponse(const Net::HttpResponse* response, AuthenReply& reply) {
  ReplyEnvelope::ReadResponse(response, reply);
}
void LogoutReply::ParseResponse(const Net::HttpResponse* response, LogoutReply& reply) {
  ReplyEnvelope::ReadResponse(response, reply);
}
void GetSidReply::ParseResponse(const Net::HttpResponse* response, GetSidReply& reply) {
  ReplyEnvelope::ReadResponse(response, reply);
}
void GetCidReply::ParseResponse(const Net::HttpResponse* response, GetCidReply& reply) {
  ReplyEnvelope::ReadResponse(response, reply);
}

std::string BuildUserAgent(long major, long minor, const std::string& macAddress) {
  const std::string mac =
      macAddress.empty() || macAddress == "unknown_mac_address" ? std::string("00-00-00-00-00-00") : macAddress;
  char text[99];
  std::snprintf(text, sizeof text, "Windows|%ld.%ld|%s", major, minor, mac.c_str());
  return text;
}

std::string BuildUserAgent() {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExW(&version);
  return BuildUserAgent(static_cast<long>(version.dwMajorVersion), static_cast<long>(version.dwMinorVersion),
                        Common::GetMacAddress());
}

std::string GetComputerNameUtf8() {
  static std::mutex lock;
  static std::string name;
  std::lock_guard<std::mutex> guard(lock);
  if (name.empty()) {
    wchar_t buffer[80];
    DWORD size = 80;
    if (GetComputerNameW(buffer, &size)) name = Common::WString_to_utf8(buffer);
  }
  return name;
}
