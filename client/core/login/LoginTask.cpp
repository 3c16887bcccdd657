#include "client/core/login/LoginTask.h"

#include "client/core/LogWriter.h"
#include "client/core/protocol/HttpTransportHolder.h"
#include "client/core/tasks/TaskExchange.h"
#include "net/HttpRequest.h"
#include "net/HttpResponse.h"

LoginTask::LoginTask(const AuthenRequest& request, bool hashed)
    : _WORK_TASK("LoginTask"), m_request(request), m_bHashed(hashed) {}

void LoginTask::SetResultCallBack(void* context, LoginResultCallBackFunc callback, std::shared_ptr<void> keepAlive) {
  m_pContext = context;
  m_keepAlive = std::move(keepAlive);
  m_pResultCallBack = callback;
}

int LoginTask::ExecuteWorkTask() {
  if (!m_pResultCallBack) {
    WriteLog(ErrorLog, "LoginTask::ExecuteWorkTask()", "m_LoginResultCallBack is 0");
    return 2;
  }
  Net::HttpRequest http;
  AuthenRequest::FillHttpRequest(m_request, &http,
                                 m_bHashed ? AuthenRequest::Password::Hashed : AuthenRequest::Password::Plain);
  Net::HttpResponse response;
  HttpTransportHolder holder(false);
  if (RunTaskExchange(holder, http, response)) AuthenReply::ParseResponse(&response, m_reply);
  CallResultCallBack(response.GetStatusCode());
  return response.GetStatusCode() == 200 ? 0 : 2;
}

void LoginTask::CallResultCallBack(int httpStatus) { m_pResultCallBack(m_pContext, httpStatus, m_reply); }
