// The link long poll.
#include "HttpService.h"
#include "ServiceError.h"

namespace devserver {

void HttpService::Link(Exchange& ex) {
  std::string account = ex.query.GetOr("account");
  std::string cid = ex.query.GetOr("cid");
  if (account.empty() || cid.empty()) throw ServiceError(Code::BadRequest, "account and cid wanted");
  auto answer = [&](int64_t t) {
    Json::Value result(Json::objectValue);
    result["t"] = Json::Int64(t);
    Reply(ex, Code::Ok, result);
  };
  LinkClient client;
  int64_t g = 0;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    client = m_accounts.ResolveLinkClient(account, cid);
    g = m_accounts.FindUser(client.userId)->g;
    // A change since this device's last answer is news at once, so that
    // nothing made between two polls is missed.
    if (g > client.lastT) {
      m_accounts.SetLastT(cid, g);
      return answer(g);
    }
  }
  auto grown = m_link.WaitAbove(client.userId, client.lastT, g, std::chrono::milliseconds(m_options.linkHoldMs));
  if (!grown) throw ServiceError(Code::RequestTimeout, "no change");
  std::lock_guard<std::mutex> lock(m_mutex);
  auto user = m_accounts.FindUser(client.userId);
  int64_t t = user ? std::max(user->g, *grown) : *grown;
  m_accounts.SetLastT(cid, t);
  answer(t);
}

}  // namespace devserver
