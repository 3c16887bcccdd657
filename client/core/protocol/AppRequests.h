#pragma once
// The app service's requests: sign-in (APP_AUTHEN), sign-out (APP_LOGOUT)
// and the renewals of the session id (APP_GET_SID) and client id
// (APP_GET_CID). All are POSTs to the app base URL without the account pair.
#include <cstdint>
#include <string>

namespace Net {
class HttpRequest;
class HttpResponse;
}  // namespace Net

struct AuthenRequest {
  std::string account;
  std::string password;  // the MD5 text, or the plain password (see below)
  std::string ip;

  enum class Password { Hashed, Plain };
  // A plain password is sent as the 32 lower-case hex digits of its MD5.
  static void FillHttpRequest(const AuthenRequest& record, Net::HttpRequest* request, Password password);
};

struct LogoutRequest {
  std::string account;
  std::string cid;

  static void FillHttpRequest(const LogoutRequest& record, Net::HttpRequest* request);
};

struct GetSidRequest {
  std::string pz;  // the sign-in's login token
  std::string cid;
  std::string product;

  static void FillHttpRequest(const GetSidRequest& record, Net::HttpRequest* request);
};

struct GetCidRequest {
  std::string pz;
  std::string product;
  std::string ip;

  static void FillHttpRequest(const GetCidRequest& record, Net::HttpRequest* request);
};

// Each reply starts with the code (-1 until read, 1000 for an unreadable
// body) and the ok flag. ParseResponse reads only a response with HTTP status
// 200; ReadBody is its body part.
struct AuthenReply {
  int code = -1;
  bool ok = false;  // code 200
  std::string cid;
  std::string sid;
  std::string pz;
  std::string name;
  std::string product;
  std::string account;
  int64_t userId = 0;
  int firstLogin = 0;

  static void ParseResponse(const Net::HttpResponse* response, AuthenReply& reply);
  static void ReadBody(const std::string& body, AuthenReply& reply);
};

struct LogoutReply {
  int code = -1;
  bool ok = false;  // code 200

  static void ParseResponse(const Net::HttpResponse* response, LogoutReply& reply);
  static void ReadBody(const std::string& body, LogoutReply& reply);
};

// A renewal counts only with code 200 and a new id: an error reply must not
// replace the session's id with an empty one.
struct GetSidReply {
  int code = -1;
  bool ok = false;  // code 200 and a non-empty sid
  std::string sid;

  static void ParseResponse(const Net::HttpResponse* response, GetSidReply& reply);
  static void ReadBody(const std::string& body, GetSidReply& reply);
};

struct GetCidReply {
  int code = -1;
  bool ok = false;  // code 200 and a non-empty cid
  std::string cid;
  std::string sid;

  static void ParseResponse(const Net::HttpResponse* response, GetCidReply& reply);
  static void ReadBody(const std::string& body, GetCidReply& reply);
};

// The MD5 of the text's bytes as 32 lower-case hex digits.
std::string PasswordDigest(const std::string& password);

// "Windows|<major>.<minor>|<adapter address>", at most 98 bytes; an unknown
// adapter address ("unknown_mac_address" or empty) becomes
// "00-00-00-00-00-00".
std::string BuildUserAgent(long major, long minor, const std::string& macAddress);
// The same with this machine's values.
std::string BuildUserAgent();

// The host's name in UTF-8; computed once, retried while it is unknown.
std::string GetComputerNameUtf8();
