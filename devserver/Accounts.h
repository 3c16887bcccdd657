#pragma once
#include <json/json.h>

#include <cstdint>
#include <optional>
#include <string>

#include "Store.h"

namespace devserver {

class Query;

struct User {
  int64_t id = 0;
  std::string account;
  std::string pwd;  // MD5 hex of the password: the digest the client sends
  std::string name;
  int status = 0;
  int64_t capacity = 0;
  int64_t szm = 0;   // one file's size limit
  int64_t fsnm = 0;  // number of files
  int64_t dsnm = 0;  // number of folders
  int64_t dym = 0;   // folder depth
  int64_t g = 0;
  int64_t logins = 0;
  int64_t createTime = 0;
  int64_t updateTime = 0;
  int64_t lastAccess = 0;
};

// Limits an administrator may change; unset members stay.
struct UserLimits {
  std::optional<int64_t> capacity, szm, fsnm, dsnm, dym;
};

// A signed-in device of an account: the link poll's view of it.
struct LinkClient {
  int64_t userId = 0;
  int64_t lastT = 0;
};

// Accounts, sessions (sid), client ids (cid) and login tokens (pz), and the
// app service's four operations. Callers hold the service lock.
class Accounts {
 public:
  Accounts(Store& store, std::string product) : m_store(store), m_product(std::move(product)) {}

  // Creates the account, or sets the password of an existing one.
  User AddUser(const std::string& account, const std::string& password);
  std::optional<User> FindUser(int64_t id) const;
  std::optional<User> FindUser(const std::string& account) const;
  void SetLimits(int64_t userId, const UserLimits& limits);

  Json::Value Authen(const Json::Value& body);
  Json::Value Logout(const Json::Value& body);
  Json::Value GetSid(const Json::Value& body);
  Json::Value GetCid(const Json::Value& body);

  // The user of a file-system request: the session id must be valid (else 401)
  // and the query's userId and "a" must name its account (else 403).
  User Authorize(const std::string& sid, const Query& query);

  // The client of a link poll: 404 for an unknown account, 413 for a client id
  // that isn't this account's.
  LinkClient ResolveLinkClient(const std::string& account, const std::string& cid) const;
  void SetLastT(const std::string& cid, int64_t t);

  // Invalidates every session (sid) or client id of an account.
  void ExpireSessions(int64_t userId);
  void ExpireClients(int64_t userId);

 private:
  std::string NewSession(int64_t userId, const std::string& cid);

  Store& m_store;
  std::string m_product;
};

}  // namespace devserver
