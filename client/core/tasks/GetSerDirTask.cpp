#include "client/core/tasks/GetSerDirTask.h"

#include "client/core/LogWriter.h"
#include "client/core/protocol/DirRequests.h"
#include "client/core/protocol/HttpTransportHolder.h"
#include "client/core/protocol/ReplyEnvelope.h"
#include "client/core/protocol/RequestFrame.h"
#include "client/core/tasks/TaskExchange.h"
#include "net/HttpRequest.h"
#include "net/HttpResponse.h"

int GetSerDirTask::ExecuteWorkTask() {
  GetDirStructureRequest request;
  request.header = CurrentRequestHeader();
  request.id = -1;
  request.owner = request.header.userId;
  request.recursive = false;
  request.returnInfo = true;
  request.countFiles = true;
  Net::HttpRequest http;
  GetDirStructureRequest::FillHttpRequest(request, &http);
  Net::HttpResponse response;
  HttpTransportHolder holder(false);
  const bool answered = RunTaskExchange(holder, http, response) && response.GetStatusCode() == 200;
  if (answered && !DirTreeReply::ParseBody(response.GetBody(), m_reply)) m_reply.code = ReplyEnvelope::kUnreadable;
  if (m_pCallBack) m_pCallBack(m_pUserData, response.GetStatusCode(), &m_reply);
  return answered ? 0 : 2;
}

void SetGetSerDirCallBack(GetSerDirTask* task, void* userData, GetSerDirCallBack callback) {
  if (!userData && !callback) WriteLog(KeyPoint, "SetGetSerDirCallBack", "callBack is 0");
  if (!task) return;
  task->m_pUserData = userData;
  task->m_pCallBack = callback;
}
