// The admin API (only with --admin): another device of an account, quotas,
// sessions, fault injection, the request log and a reset. Requests name their
// values in the query; /admin/put takes the file's bytes as its body.
#include <fstream>

#include "HttpService.h"
#include "JsonIo.h"
#include "Records.h"
#include "ServiceError.h"

namespace devserver {

void HttpService::Admin(Exchange& ex) {
  std::string name = ex.req.path.substr(std::string("/admin/").size());
  try {
    if (name == "content") {
      std::lock_guard<std::mutex> lock(m_mutex);
      auto user = m_accounts.FindUser(ex.query.GetOr("account"));
      if (!user) throw ServiceError(Code::NotFound, "no such account");
      Tree tree(m_store, user->id);
      auto file = tree.LiveFile(ex.query.Int64("id"));
      if (!file) throw ServiceError(Code::FileNotFound, "no such file");
      std::ifstream in(m_transfers.ContentPath(file->docId), std::ios::binary);
      std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      ex.res.status = 200;
      ex.res.set_content(bytes, "application/octet-stream");
      return;
    }
    Reply(ex, Code::Ok, AdminOp(name, ex));
  } catch (const ServiceError& e) {
    ReplyError(ex, e.code(), e.what());
  } catch (const std::exception& e) {
    ReplyError(ex, Code::Internal, e.what());
  }
}

Json::Value HttpService::AdminOp(const std::string& name, Exchange& ex) {
  const Query& q = ex.query;
  Json::Value ok(Json::objectValue);
  // Operations without an account.
  if (name == "fault") {
    FaultRule rule;
    rule.op = q.GetOr("op", "*");
    rule.action.code = static_cast<int>(q.OptInt64("code").value_or(0));
    rule.action.httpStatus = static_cast<int>(q.OptInt64("http").value_or(0));
    rule.action.delayMs = static_cast<int>(q.OptInt64("delayMs").value_or(0));
    rule.action.drop = q.Flag("drop", false);
    rule.action.wrongMd5 = q.Flag("wrongMd5", false);
    rule.action.afterOp = q.Flag("afterOp", false);
    rule.skip = static_cast<int>(q.OptInt64("skip").value_or(0));
    rule.times = static_cast<int>(q.OptInt64("times").value_or(1));
    m_faults.Add(rule);
    return ok;
  }
  if (name == "faults/clear") {
    m_faults.Clear();
    return ok;
  }
  if (name == "faults") {
    ok["faults"] = m_faults.List();
    return ok;
  }
  if (name == "log") {
    ok["entries"] = m_log.Since(q.OptInt64("since").value_or(0));
    return ok;
  }
  if (name == "log/clear") {
    m_log.Clear();
    return ok;
  }

  std::lock_guard<std::mutex> lock(m_mutex);
  if (name == "reset") {
    for (const char* table : {"items", "docs", "uploads", "tokens", "sessions", "clients", "stats"})
      m_store.Exec((std::string("DELETE FROM ") + table).c_str());
    m_store.Exec("UPDATE users SET g=0, logins=0");
    if (q.Flag("accounts", false)) m_store.Exec("DELETE FROM users");
    m_transfers.ClearFiles();
    m_faults.Clear();
    m_log.Clear();
    m_link.Reset();
    return ok;
  }
  if (name == "stats") {
    Json::Value list(Json::arrayValue);
    Stmt s(m_store, "SELECT mac, category, event FROM stats ORDER BY id");
    while (s.Step()) {
      Json::Value e(Json::objectValue);
      e["mac"] = s.Text(0);
      e["category"] = s.Text(1);
      e["event"] = s.Text(2);
      list.append(e);
    }
    ok["events"] = list;
    return ok;
  }
  if (name == "user") {
    User user = m_accounts.AddUser(q.GetOr("account"), q.GetOr("password"));
    UserLimits limits{q.OptInt64("capacity"), q.OptInt64("szm"), q.OptInt64("fsnm"), q.OptInt64("dsnm"),
                      q.OptInt64("dym")};
    m_accounts.SetLimits(user.id, limits);
    user = *m_accounts.FindUser(user.id);
    ok["user"] = UserRecord(user, Tree(m_store, user.id).Usage());
    return ok;
  }

  auto user = m_accounts.FindUser(q.GetOr("account"));
  if (!user) throw ServiceError(Code::NotFound, "no such account");
  if (name == "quota") {
    m_accounts.SetLimits(user->id, UserLimits{q.OptInt64("capacity"), q.OptInt64("szm"), q.OptInt64("fsnm"),
                                              q.OptInt64("dsnm"), q.OptInt64("dym")});
    return ok;
  }
  if (name == "expire-sessions") {
    m_accounts.ExpireSessions(user->id);
    return ok;
  }
  if (name == "expire-clients") {
    m_accounts.ExpireClients(user->id);
    return ok;
  }
  if (name == "notify") {
    ok["g"] = Json::Int64(m_fs.DeviceNotify(*user));
    return ok;
  }
  if (name == "tree") return m_fs.DeviceTree(*user);
  if (name == "mkdir") {
    ok["dir"] = m_fs.DeviceMkdir(*user, q.Int64("parentId"), q.GetOr("name"));
    return ok;
  }
  if (name == "put") {
    ok["file"] = m_fs.DevicePut(*user, q.Int64("parentId"), q.GetOr("name"), ex.body);
    return ok;
  }
  if (name == "rename") {
    ok["item"] = m_fs.DeviceRename(*user, q.Int64("id"), q.GetOr("name"));
    return ok;
  }
  if (name == "raw-name") {
    ok["item"] = m_fs.DeviceRename(*user, q.Int64("id"), q.GetOr("name"), FsService::NameCheck::Raw);
    return ok;
  }
  if (name == "move") {
    ok["item"] = m_fs.DeviceMove(*user, q.Int64("id"), q.Int64("parentId"));
    return ok;
  }
  if (name == "delete") {
    ok["item"] = m_fs.DeviceDelete(*user, q.Int64("id"));
    return ok;
  }
  throw ServiceError(Code::NotImplemented, "unknown admin request");
}

}  // namespace devserver
