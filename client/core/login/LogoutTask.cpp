#include "client/core/login/LogoutTask.h"

#include "client/core/LogWriter.h"
#include "client/core/protocol/AppRequests.h"
#include "client/core/protocol/HttpTransportHolder.h"
#include "client/core/tasks/TaskExchange.h"
#include "net/HttpRequest.h"
#include "net/HttpResponse.h"

int LogoutTask::ExecuteWorkTask() {
  LogoutRequest request;
  request.account = m_account;
  request.cid = m_clientID;
  Net::HttpRequest http;
  LogoutRequest::FillHttpRequest(request, &http);
  Net::HttpResponse response;
  HttpTransportHolder holder(false);
  LogoutReply reply;
  if (RunTaskExchange(holder, http, response)) LogoutReply::ParseResponse(&response, reply);
  if (reply.ok) return 0;
  WriteMessageLog(KeyPoint, "Logout Failed");
  return 1;
}
