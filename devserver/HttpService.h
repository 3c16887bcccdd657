#pragma once
#include <httplib.h>
#include <json/json.h>

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "Accounts.h"
#include "Faults.h"
#include "FsService.h"
#include "LinkHub.h"
#include "Options.h"
#include "Query.h"
#include "RequestLog.h"
#include "Store.h"
#include "Transfers.h"

namespace devserver {

// The service on loopback: routes each request to its operation, turns the
// outcome into the reply envelope {"code", "result"}, applies injected faults
// and records the request log. One lock serialises the store; long polls and
// content streaming run outside it.
class HttpService {
 public:
  explicit HttpService(const Options& options);
  ~HttpService();
  HttpService(const HttpService&) = delete;
  HttpService& operator=(const HttpService&) = delete;

  // Binds 127.0.0.1 and returns the port, or -1.
  int Bind();
  // Serves until Stop.
  void Run();
  // Any thread: ends waiting polls and the server.
  void Stop();

 private:
  enum class Endpoint { App, Fs, Dfs, Upload, Download, Link };

  // One request in flight.
  struct Exchange {
    const httplib::Request& req;
    httplib::Response& res;
    Query query;
    std::string op;
    std::string body;
    std::map<std::string, std::string> parts;
    bool multipart = false;
    int code = 0;
    bool logged = true;
  };

  void Routes();
  void Serve(Endpoint endpoint, const httplib::Request& req, httplib::Response& res,
             const httplib::ContentReader* reader);
  void Dispatch(Endpoint endpoint, Exchange& ex, const FaultAction* fault);
  // Applies the request's injected fault around `handle` and logs the request.
  void WithFaults(Exchange& ex, const std::function<void(const FaultAction*)>& handle);
  bool ReadBody(Exchange& ex, const httplib::ContentReader& reader);
  // A body announced larger than the service takes: answered 413 unread.
  bool TooLarge(Exchange& ex);
  void Reply(Exchange& ex, int code, const Json::Value& result);
  void ReplyError(Exchange& ex, int code, const std::string& message);
  void Spoil(Exchange& ex, const FaultAction& fault);
  void Log(const Exchange& ex);

  Json::Value AppOp(const std::string& op, const Json::Value& body);
  Json::Value FsOp(Exchange& ex);
  void Upload(Exchange& ex);
  void Download(Exchange& ex, bool wrongMd5);
  void Link(Exchange& ex);
  void Statistics(Exchange& ex);
  void UpdateFile(Exchange& ex);
  void Admin(Exchange& ex);
  Json::Value AdminOp(const std::string& name, Exchange& ex);

  Options m_options;
  Store m_store;
  Accounts m_accounts;
  Transfers m_transfers;
  LinkHub m_link;
  FsService m_fs;
  Faults m_faults;
  RequestLog m_log;
  std::mutex m_mutex;
  httplib::Server m_server;
};

}  // namespace devserver
