#include "client/windows/wizard/AddFolderTask.h"

#include "client/core/LogWriter.h"
#include "client/core/protocol/DirRequests.h"
#include "client/core/protocol/HttpTransportHolder.h"
#include "client/core/protocol/ReplyEnvelope.h"
#include "client/core/protocol/RequestFrame.h"
#include "client/core/tasks/TaskExchange.h"
#include "net/HttpRequest.h"
#include "net/HttpResponse.h"

AddFolderTask::AddFolderTask(const juce::String& name, std::string folderName)
    : _WORK_TASK(name), m_folderName(std::move(folderName)) {}

void AddFolderTask::SetAddFolderCallBack(void* userData, AddFolderCallBack callback) {
  if (!userData && !callback) WriteLog(ErrorLog, "SetAddFolderCallBack", "callBack is 0");
  m_pUserData = userData;
  m_pCallBack = callback;
}

int AddFolderTask::ExecuteWorkTask() {
  const RequestHeader header = CurrentRequestHeader();
  const int policy = GetTaskName() == "AutoAddFolderTask" ? 2 : 0;
  CreateDirRequest request(header, -1, header.userId, -1, m_folderName, std::string(), 0, policy);
  Net::HttpRequest http;
  CreateDirRequest::FillHttpRequest(request, &http);
  Net::HttpResponse response;
  HttpTransportHolder holder(false);
  const bool answered = RunTaskExchange(holder, http, response) && response.GetStatusCode() == 200;
  if (answered && !DirReply::ParseBody(response.GetBody(), m_reply)) m_reply.code = ReplyEnvelope::kUnreadable;
  if (!answered) m_reply.code = -1;
  if (m_pCallBack) m_pCallBack(m_pUserData, response.GetStatusCode(), &m_reply);
  return answered ? 0 : 2;
}
