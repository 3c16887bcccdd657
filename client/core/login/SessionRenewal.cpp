#include "client/core/login/SessionRenewal.h"

#include "base/MyThreadsPool.h"
#include "client/core/account/AccountData.h"
#include "client/core/account/ProductInfo.h"
#include "client/core/context/ThreadsPools.h"
#include "client/core/login/LocalIP.h"
#include "client/core/protocol/AppRequests.h"
#include "client/core/protocol/HttpTransportHolder.h"
#include "client/core/tasks/TaskExchange.h"
#include "net/HttpRequest.h"
#include "net/HttpResponse.h"

namespace {

// One exchange of the request into the reply.
template <class Request, class Reply>
void Renew(const Request& request, Reply& reply) {
  Net::HttpRequest http;
  Request::FillHttpRequest(request, &http);
  Net::HttpResponse response;
  HttpTransportHolder holder(false);
  if (RunTaskExchange(holder, http, response)) Reply::ParseResponse(&response, reply);
}

// Posts the task to the Up pool, waits and, on success, hands its result to
// store; then lets the task go.
template <class Task, class Store>
bool RunRenewal(Task* task, Store store) {
  GetUpThreadsPool()->PostWorkTask(task, true);
  task->WaitExecuteFinishEvent();
  const bool success = task->IsSuccess();
  if (success) store(*task);
  task->SignReleaseEvent();
  return success;
}

}  // namespace

int UpdateSIDTask::ExecuteWorkTask() {
  GetSidRequest request;
  request.pz = m_sLoginToken.toStdString();
  request.cid = m_sClientID.toStdString();
  request.product = GetProductInfo().ProductName.toStdString();
  GetSidReply reply;
  Renew(request, reply);
  if (reply.ok) m_sSessionID = juce::String::fromUTF8(reply.sid.c_str());
  SetSuccess(reply.ok);
  return reply.ok ? 0 : 2;
}

int UpdateClientIDTask::ExecuteWorkTask() {
  GetCidRequest request;
  request.pz = m_sLoginToken.toStdString();
  request.product = GetProductInfo().ProductName.toStdString();
  request.ip = GetLocalIP();
  GetCidReply reply;
  Renew(request, reply);
  if (reply.ok) m_sClientID = juce::String::fromUTF8(reply.cid.c_str());
  SetSuccess(reply.ok);
  return reply.ok ? 0 : 2;
}

bool UpdateSID(AccountData* accountData) {
  if (!accountData) return false;
  const AccountSnapshot account = accountData->GetSnapshot();
  return RunRenewal(new UpdateSIDTask(account.m_sLoginToken, account.m_sClientID),
                    [&](const UpdateSIDTask& task) { accountData->SetSessionID(task.GetSID()); });
}

bool UpdateClientID(AccountData* accountData) {
  if (!accountData) return false;
  const AccountSnapshot account = accountData->GetSnapshot();
  return RunRenewal(new UpdateClientIDTask(account.m_sLoginToken),
                    [&](const UpdateClientIDTask& task) { accountData->SetClientID(task.GetClientID()); });
}
