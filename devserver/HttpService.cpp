#include "HttpService.h"

#include <chrono>
#include <iostream>
#include <thread>

#include "JsonIo.h"
#include "ServiceError.h"

namespace devserver {

namespace {

// Larger bodies are refused by the HTTP layer with status 413; blocks are at
// most a few MiB.
constexpr size_t kMaxPayload = 16 * 1024 * 1024;
// Long polls each hold a worker while they wait.
constexpr size_t kWorkers = 64;

enum class Method { Get, Post };

using FsHandler = Json::Value (FsService::*)(const FsCall&);

struct FsOpInfo {
  Method method;
  FsHandler handler;
};

const std::map<std::string, FsOpInfo>& FsOps() {
  static const std::map<std::string, FsOpInfo> ops = {
      {"syncDir", {Method::Get, &FsService::SyncDir}},
      {"getDirStructure", {Method::Get, &FsService::GetDirStructure}},
      {"getDirFiles", {Method::Get, &FsService::GetDirFiles}},
      {"createDir", {Method::Post, &FsService::CreateDir}},
      {"renameDir", {Method::Post, &FsService::RenameDir}},
      {"delDir", {Method::Post, &FsService::DelDir}},
      {"createFile", {Method::Post, &FsService::CreateFile}},
      {"updateFileContent", {Method::Post, &FsService::UpdateFileContent}},
      {"completeFile", {Method::Post, &FsService::CompleteFile}},
      {"renameFile", {Method::Post, &FsService::RenameFile}},
      {"moveFile", {Method::Post, &FsService::MoveFile}},
      {"delFile", {Method::Get, &FsService::DelFile}},
      {"delFileIncomplete", {Method::Get, &FsService::DelFileIncomplete}},
      {"uploadFileControl", {Method::Post, &FsService::UploadFileControl}},
      {"downloadFileControl", {Method::Get, &FsService::DownloadFileControl}},
      {"getUser", {Method::Get, &FsService::GetUser}},
      {"getUserFilesCount", {Method::Get, &FsService::GetUserFilesCount}},
  };
  return ops;
}

bool IsGet(const httplib::Request& req) { return req.method == "GET"; }

}  // namespace

HttpService::HttpService(const Options& options)
    : m_options(options),
      m_store((std::filesystem::create_directories(options.dataDir), options.dataDir / "devserver.db")),
      m_accounts(m_store, options.product),
      m_transfers(m_store, options.dataDir),
      m_fs(m_store, m_transfers, m_link) {
  for (const auto& [account, password] : options.users) m_accounts.AddUser(account, password);
  Routes();
}

HttpService::~HttpService() { Stop(); }

int HttpService::Bind() {
  if (m_options.port == 0) {
    int port = m_server.bind_to_any_port("127.0.0.1");
    return port > 0 ? port : -1;
  }
  return m_server.bind_to_port("127.0.0.1", m_options.port) ? m_options.port : -1;
}

void HttpService::Run() { m_server.listen_after_bind(); }

void HttpService::Stop() {
  m_link.Stop();
  m_server.stop();
}

void HttpService::Routes() {
  m_server.new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
  m_server.set_payload_max_length(kMaxPayload);
  m_server.set_tcp_nodelay(true);
  const std::pair<const char*, Endpoint> endpoints[] = {{R"(/app/service/?)", Endpoint::App},
                                                        {R"(/fs/service/?)", Endpoint::Fs},
                                                        {R"(/dfs/service/?)", Endpoint::Dfs},
                                                        {R"(/dfs/upload/?)", Endpoint::Upload},
                                                        {R"(/dfs/download/?)", Endpoint::Download},
                                                        {R"(/link/service/?)", Endpoint::Link}};
  for (const auto& [pattern, endpoint] : endpoints) {
    Endpoint ep = endpoint;
    m_server.Get(pattern, [this, ep](const httplib::Request& req, httplib::Response& res) {
      Serve(ep, req, res, nullptr);
    });
    m_server.Post(pattern, [this, ep](const httplib::Request& req, httplib::Response& res,
                                      const httplib::ContentReader& reader) { Serve(ep, req, res, &reader); });
  }
  m_server.Get(R"(.*/stat\.cloudstorage\.pc/.*)", [this](const httplib::Request& req, httplib::Response& res) {
    Exchange ex{req, res, Query::FromTarget(req.target), "stat", {}, {}, false, 0, true};
    WithFaults(ex, [&](const FaultAction*) { Statistics(ex); });
  });
  m_server.Get(R"(/client/dorv/update/.+)", [this](const httplib::Request& req, httplib::Response& res) {
    Exchange ex{req, res, Query::FromTarget(req.target), "update", {}, {}, false, 0, true};
    WithFaults(ex, [&](const FaultAction*) { UpdateFile(ex); });
  });
  if (m_options.admin) {
    m_server.Get(R"(/admin/.+)", [this](const httplib::Request& req, httplib::Response& res) {
      Exchange ex{req, res, Query::FromTarget(req.target), {}, {}, {}, false, 0, false};
      Admin(ex);
    });
    m_server.Post(R"(/admin/.+)", [this](const httplib::Request& req, httplib::Response& res,
                                         const httplib::ContentReader& reader) {
      Exchange ex{req, res, Query::FromTarget(req.target), {}, {}, {}, false, 0, false};
      if (TooLarge(ex)) return;
      if (!ReadBody(ex, reader)) return ReplyError(ex, Code::BadRequest, "unreadable body");
      Admin(ex);
    });
  }
}

bool HttpService::ReadBody(Exchange& ex, const httplib::ContentReader& reader) {
  size_t total = 0;
  auto fits = [&](size_t length) { return (total += length) <= kMaxPayload; };
  if (ex.req.is_multipart_form_data()) {
    ex.multipart = true;
    std::string current;
    return reader(
        [&](const httplib::MultipartFormData& part) {
          current = part.name;
          ex.parts[current];
          return true;
        },
        [&](const char* data, size_t length) {
          ex.parts[current].append(data, length);
          return fits(length);
        });
  }
  return reader([&](const char* data, size_t length) {
    ex.body.append(data, length);
    return fits(length);
  });
}

void HttpService::Serve(Endpoint endpoint, const httplib::Request& req, httplib::Response& res,
                        const httplib::ContentReader* reader) {
  Exchange ex{req, res, Query::FromTarget(req.target), {}, {}, {}, false, 0, true};
  ex.op = ex.query.GetOr("op");
  // A GET body isn't read by the HTTP layer; closing the connection keeps its
  // bytes from being taken for the next request.
  if (IsGet(req) && req.get_header_value_count("Content-Length") && req.get_header_value("Content-Length") != "0")
    res.set_header("Connection", "close");
  if (reader && TooLarge(ex)) return Log(ex);
  if (reader && !ReadBody(ex, *reader)) {
    ReplyError(ex, Code::BadRequest, "unreadable body");
    res.set_header("Connection", "close");
    Log(ex);
    return;
  }
  WithFaults(ex, [&](const FaultAction* fault) { Dispatch(endpoint, ex, fault); });
}

void HttpService::WithFaults(Exchange& ex, const std::function<void(const FaultAction*)>& handle) {
  std::optional<FaultAction> fault = m_faults.Take(ex.op);
  if (fault && fault->delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(fault->delayMs));
  if (fault && !fault->afterOp && (fault->drop || fault->httpStatus || fault->code)) {
    Spoil(ex, *fault);
  } else {
    handle(fault ? &*fault : nullptr);
    if (fault && fault->afterOp) Spoil(ex, *fault);
  }
  Log(ex);
}

bool HttpService::TooLarge(Exchange& ex) {
  std::string length = ex.req.get_header_value("Content-Length");
  if (length.empty()) return false;
  auto announced = ParseInt64(length);
  if (announced && *announced >= 0 && static_cast<uint64_t>(*announced) <= kMaxPayload) return false;
  // Refused unread, as a front end would; the connection can't be reused.
  ex.res.status = 413;
  ex.res.set_header("Connection", "close");
  ex.res.set_content("", "text/plain");
  return true;
}

void HttpService::Dispatch(Endpoint endpoint, Exchange& ex, const FaultAction* fault) {
  try {
    if (ex.op.empty()) throw ServiceError(Code::BadRequest, "no operation");
    switch (endpoint) {
      case Endpoint::App: {
        static const char* const appOps[] = {"APP_AUTHEN", "APP_LOGOUT", "APP_GET_SID", "APP_GET_CID"};
        if (std::find(std::begin(appOps), std::end(appOps), ex.op) == std::end(appOps))
          throw ServiceError(Code::NotImplemented, "unknown operation");
        if (IsGet(ex.req)) throw ServiceError(Code::BadRequest, "wrong method");
        Json::Value body = ParseObject(ex.body);
        std::lock_guard<std::mutex> lock(m_mutex);
        return Reply(ex, Code::Ok, AppOp(ex.op, body));
      }
      case Endpoint::Fs:
        return Reply(ex, Code::Ok, FsOp(ex));
      case Endpoint::Upload:
      case Endpoint::Download:
        // Hosts of one transfer only: a client that mixes them up is refused.
        if (ex.op != (endpoint == Endpoint::Upload ? "uploadFile" : "downloadFile"))
          throw ServiceError(Code::NotImplemented, "operation of another endpoint");
        [[fallthrough]];
      case Endpoint::Dfs:
        if (ex.op == "uploadFile") {
          if (IsGet(ex.req)) throw ServiceError(Code::BadRequest, "wrong method");
          return Upload(ex);
        }
        if (ex.op == "downloadFile") {
          if (!IsGet(ex.req)) throw ServiceError(Code::BadRequest, "wrong method");
          return Download(ex, fault && fault->wrongMd5);
        }
        throw ServiceError(Code::NotImplemented, "unknown operation");
      case Endpoint::Link:
        if (ex.op != "LINK_BEATHEART") throw ServiceError(Code::NotImplemented, "unknown operation");
        if (!IsGet(ex.req)) throw ServiceError(Code::BadRequest, "wrong method");
        return Link(ex);
    }
  } catch (const ServiceError& e) {
    ReplyError(ex, e.code(), e.what());
  } catch (const std::exception& e) {
    std::cerr << "dorv-devserver: " << ex.op << ": " << e.what() << std::endl;
    ReplyError(ex, Code::Internal, "internal error");
  }
}

Json::Value HttpService::AppOp(const std::string& op, const Json::Value& body) {
  if (op == "APP_AUTHEN") return m_accounts.Authen(body);
  if (op == "APP_LOGOUT") return m_accounts.Logout(body);
  if (op == "APP_GET_SID") return m_accounts.GetSid(body);
  return m_accounts.GetCid(body);
}

Json::Value HttpService::FsOp(Exchange& ex) {
  auto info = FsOps().find(ex.op);
  if (info == FsOps().end()) throw ServiceError(Code::NotImplemented, "unknown operation");
  if ((info->second.method == Method::Get) != IsGet(ex.req)) throw ServiceError(Code::BadRequest, "wrong method");
  std::lock_guard<std::mutex> lock(m_mutex);
  User user = m_accounts.Authorize(ex.req.get_header_value("Authorization"), ex.query);
  Json::Value body = IsGet(ex.req) ? Json::Value(Json::objectValue) : ParseObject(ex.body);
  return (m_fs.*(info->second.handler))(FsCall{user, ex.query, body});
}

void HttpService::Reply(Exchange& ex, int code, const Json::Value& result) {
  Json::Value envelope(Json::objectValue);
  envelope["code"] = code;
  envelope["result"] = result;
  ex.code = code;
  ex.res.status = 200;
  ex.res.set_content(ToText(envelope), "application/json; charset=utf-8");
}

void HttpService::ReplyError(Exchange& ex, int code, const std::string& message) {
  Json::Value result(Json::objectValue);
  result["message"] = message;
  Reply(ex, code, result);
}

void HttpService::Spoil(Exchange& ex, const FaultAction& fault) {
  // The HTTP layer would cut the injected reply by the request's byte ranges.
  const_cast<httplib::Request&>(ex.req).ranges.clear();
  ex.res.content_provider_ = nullptr;
  ex.res.content_length_ = 0;
  ex.res.headers.erase("Content-Range");
  if (fault.drop) {
    // Promise a body and end the connection before it: the client sees a
    // broken transfer.
    ex.res.status = 200;
    ex.res.body.clear();
    ex.res.set_content_provider(1024, "application/json",
                                [](size_t, size_t, httplib::DataSink&) { return false; });
    ex.code = -1;
  } else if (fault.httpStatus) {
    ex.res.status = fault.httpStatus;
    ex.res.set_content("", "text/plain");
    ex.code = 0;
  } else if (fault.code) {
    ReplyError(ex, fault.code, "injected fault");
  }
}

void HttpService::Log(const Exchange& ex) {
  if (!ex.logged) return;
  LogEntry e;
  e.method = ex.req.method;
  e.path = ex.req.path;
  e.op = ex.op;
  e.query = ex.query.raw();
  e.status = ex.code == -1 ? 0 : ex.res.status;
  e.code = ex.code == -1 ? 0 : ex.code;
  m_log.Add(std::move(e));
}

}  // namespace devserver
