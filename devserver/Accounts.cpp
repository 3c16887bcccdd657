#include "Accounts.h"

#include <algorithm>
#include <vector>

#include "Ids.h"
#include "JsonIo.h"
#include "Md5.h"
#include "Query.h"
#include "ServiceError.h"

namespace devserver {

namespace {

// Defaults of a new account: 10 GiB, the largest file the client can describe
// (its sizes are signed 32-bit), generous counts and depth.
constexpr int64_t kDefaultCapacity = 10LL * 1024 * 1024 * 1024;
constexpr int64_t kDefaultSzm = 2147483647;
constexpr int64_t kDefaultFsnm = 1000000;
constexpr int64_t kDefaultDsnm = 100000;
constexpr int64_t kDefaultDym = 64;

const char* const kUserColumns =
    "id, account, pwd, name, status, capacity, szm, fsnm, dsnm, dym, g, logins, createTime, updateTime, lastAccess";

User ReadUser(const Stmt& s) {
  User u;
  u.id = s.Int(0);
  u.account = s.Text(1);
  u.pwd = s.Text(2);
  u.name = s.Text(3);
  u.status = static_cast<int>(s.Int(4));
  u.capacity = s.Int(5);
  u.szm = s.Int(6);
  u.fsnm = s.Int(7);
  u.dsnm = s.Int(8);
  u.dym = s.Int(9);
  u.g = s.Int(10);
  u.logins = s.Int(11);
  u.createTime = s.Int(12);
  u.updateTime = s.Int(13);
  u.lastAccess = s.Int(14);
  return u;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

}  // namespace

User Accounts::AddUser(const std::string& account, const std::string& password) {
  if (account.empty()) throw ServiceError(Code::BadRequest, "empty account");
  std::string pwd = Md5Hex(password);
  int64_t now = NowMs();
  if (auto existing = FindUser(account)) {
    Stmt s(m_store, "UPDATE users SET pwd=?, updateTime=? WHERE id=?");
    s.Bind(1, pwd).Bind(2, now).Bind(3, existing->id).Run();
  } else {
    Stmt s(m_store,
           "INSERT INTO users(account, pwd, name, capacity, szm, fsnm, dsnm, dym, createTime, updateTime) "
           "VALUES(?,?,?,?,?,?,?,?,?,?)");
    std::string name = account.substr(0, account.find('@'));
    s.Bind(1, account).Bind(2, pwd).Bind(3, name).Bind(4, kDefaultCapacity).Bind(5, kDefaultSzm);
    s.Bind(6, kDefaultFsnm).Bind(7, kDefaultDsnm).Bind(8, kDefaultDym).Bind(9, now).Bind(10, now);
    s.Run();
  }
  return *FindUser(account);
}

std::optional<User> Accounts::FindUser(int64_t id) const {
  Stmt s(m_store, (std::string("SELECT ") + kUserColumns + " FROM users WHERE id=?").c_str());
  s.Bind(1, id);
  if (!s.Step()) return std::nullopt;
  return ReadUser(s);
}

std::optional<User> Accounts::FindUser(const std::string& account) const {
  Stmt s(m_store, (std::string("SELECT ") + kUserColumns + " FROM users WHERE account=?").c_str());
  s.Bind(1, account);
  if (!s.Step()) return std::nullopt;
  return ReadUser(s);
}

void Accounts::SetLimits(int64_t userId, const UserLimits& limits) {
  auto set = [&](const char* sql, const std::optional<int64_t>& value) {
    if (!value) return;
    Stmt s(m_store, sql);
    s.Bind(1, *value).Bind(2, userId).Run();
  };
  set("UPDATE users SET capacity=? WHERE id=?", limits.capacity);
  set("UPDATE users SET szm=? WHERE id=?", limits.szm);
  set("UPDATE users SET fsnm=? WHERE id=?", limits.fsnm);
  set("UPDATE users SET dsnm=? WHERE id=?", limits.dsnm);
  set("UPDATE users SET dym=? WHERE id=?", limits.dym);
}

std::string Accounts::NewSession(int64_t userId, const std::string& cid) {
  std::string sid = RandomHex(16);
  Stmt s(m_store, "INSERT INTO sessions(sid, userId, cid, createTime) VALUES(?,?,?,?)");
  s.Bind(1, sid).Bind(2, userId).Bind(3, cid).Bind(4, NowMs()).Run();
  return sid;
}

Json::Value Accounts::Authen(const Json::Value& body) {
  std::string account = ReqString(body, "account");
  std::string pwd = Lower(ReqString(body, "pwd"));
  std::string ip = OptString(body, "ip");
  std::string name = OptString(body, "name");
  auto user = FindUser(account);
  if (!user) throw ServiceError(Code::AccountNotFound, "no such account");
  if (user->pwd != pwd) throw ServiceError(Code::WrongPassword, "wrong password");
  if (user->status != 0) throw ServiceError(Code::Forbidden, "account disabled");

  std::string cid = RandomHex(16);
  std::string pz = RandomHex(16);
  Stmt c(m_store, "INSERT INTO clients(cid, userId, pz, name, ip, lastT) VALUES(?,?,?,?,?,?)");
  c.Bind(1, cid).Bind(2, user->id).Bind(3, pz).Bind(4, name).Bind(5, ip).Bind(6, user->g).Run();
  std::string sid = NewSession(user->id, cid);
  Stmt u(m_store, "UPDATE users SET logins=logins+1, lastAccess=? WHERE id=?");
  u.Bind(1, NowMs()).Bind(2, user->id).Run();

  Json::Value result(Json::objectValue);
  result["cid"] = cid;
  result["sid"] = sid;
  result["pz"] = pz;
  result["userId"] = Json::Int64(user->id);
  result["name"] = user->name;
  result["product"] = m_product;
  result["firstLogin"] = user->logins == 0 ? 1 : 0;
  result["account"] = user->account;
  return result;
}

Json::Value Accounts::Logout(const Json::Value& body) {
  std::string account = ReqString(body, "account");
  std::string cid = ReqString(body, "cid");
  auto user = FindUser(account);
  if (user) {
    Stmt s(m_store, "DELETE FROM sessions WHERE cid=? AND userId=?");
    s.Bind(1, cid).Bind(2, user->id).Run();
    Stmt c(m_store, "DELETE FROM clients WHERE cid=? AND userId=?");
    c.Bind(1, cid).Bind(2, user->id).Run();
  }
  return Json::Value(Json::objectValue);
}

Json::Value Accounts::GetSid(const Json::Value& body) {
  std::string pz = ReqString(body, "pz");
  std::string cid = ReqString(body, "cid");
  Stmt c(m_store, "SELECT userId FROM clients WHERE cid=? AND pz=?");
  c.Bind(1, cid).Bind(2, pz);
  if (!c.Step()) throw ServiceError(Code::CertError, "login token or client id not valid");
  int64_t userId = c.Int(0);
  // A renewed session replaces the device's earlier ones.
  Stmt d(m_store, "DELETE FROM sessions WHERE cid=?");
  d.Bind(1, cid).Run();
  Json::Value result(Json::objectValue);
  result["sid"] = NewSession(userId, cid);
  return result;
}

Json::Value Accounts::GetCid(const Json::Value& body) {
  std::string pz = ReqString(body, "pz");
  std::string ip = OptString(body, "ip");
  std::string name = OptString(body, "name");
  Stmt c(m_store, "SELECT cid, userId, lastT FROM clients WHERE pz=?");
  c.Bind(1, pz);
  if (!c.Step()) throw ServiceError(Code::CertError, "login token not valid");
  std::string oldCid = c.Text(0);
  int64_t userId = c.Int(1);
  int64_t lastT = c.Int(2);
  std::string cid = RandomHex(16);
  Stmt del(m_store, "DELETE FROM clients WHERE pz=?");
  del.Bind(1, pz).Run();
  Stmt ins(m_store, "INSERT INTO clients(cid, userId, pz, name, ip, lastT) VALUES(?,?,?,?,?,?)");
  ins.Bind(1, cid).Bind(2, userId).Bind(3, pz).Bind(4, name).Bind(5, ip).Bind(6, lastT).Run();
  // The device keeps its sessions under the new client id.
  Stmt move(m_store, "UPDATE sessions SET cid=? WHERE cid=?");
  move.Bind(1, cid).Bind(2, oldCid).Run();
  Json::Value result(Json::objectValue);
  result["cid"] = cid;
  result["sid"] = NewSession(userId, cid);
  return result;
}

User Accounts::Authorize(const std::string& sid, const Query& query) {
  if (sid.empty()) throw ServiceError(Code::CertError, "no session");
  Stmt s(m_store, "SELECT userId FROM sessions WHERE sid=?");
  s.Bind(1, sid);
  if (!s.Step()) throw ServiceError(Code::CertError, "session not valid");
  auto user = FindUser(s.Int(0));
  if (!user) throw ServiceError(Code::CertError, "session not valid");
  if (query.Int64("userId") != user->id) throw ServiceError(Code::Forbidden, "userId is not the session's");
  if (auto a = query.Get("a"); a && Lower(*a) != Lower(user->account))
    throw ServiceError(Code::Forbidden, "account is not the session's");
  if (user->status != 0) throw ServiceError(Code::Forbidden, "account disabled");
  return *user;
}

LinkClient Accounts::ResolveLinkClient(const std::string& account, const std::string& cid) const {
  auto user = FindUser(account);
  if (!user) throw ServiceError(Code::NotFound, "no such account");
  Stmt s(m_store, "SELECT lastT FROM clients WHERE cid=? AND userId=?");
  s.Bind(1, cid).Bind(2, user->id);
  if (!s.Step()) throw ServiceError(Code::ClientIdInvalid, "client id not valid");
  return LinkClient{user->id, s.Int(0)};
}

void Accounts::SetLastT(const std::string& cid, int64_t t) {
  Stmt s(m_store, "UPDATE clients SET lastT=? WHERE cid=? AND lastT<?");
  s.Bind(1, t).Bind(2, cid).Bind(3, t).Run();
}

void Accounts::ExpireSessions(int64_t userId) {
  Stmt s(m_store, "DELETE FROM sessions WHERE userId=?");
  s.Bind(1, userId).Run();
}

void Accounts::ExpireClients(int64_t userId) {
  // Each device gets a client id it doesn't know; its login token stays valid,
  // so APP_GET_CID can renew it.
  std::vector<std::string> cids;
  Stmt s(m_store, "SELECT cid FROM clients WHERE userId=?");
  s.Bind(1, userId);
  while (s.Step()) cids.push_back(s.Text(0));
  for (const std::string& old : cids) {
    std::string fresh = RandomHex(16);
    Stmt c(m_store, "UPDATE clients SET cid=? WHERE cid=?");
    c.Bind(1, fresh).Bind(2, old).Run();
    Stmt m(m_store, "UPDATE sessions SET cid=? WHERE cid=?");
    m.Bind(1, fresh).Bind(2, old).Run();
  }
}

}  // namespace devserver
