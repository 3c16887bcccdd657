#include "client/core/tasks/TransferTasks.h"

#include "client/core/protocol/HttpTransportHolder.h"
#include "client/core/protocol/ReplyEnvelope.h"
#include "client/core/tasks/TaskExchange.h"
#include "net/HttpRequest.h"
#include "net/HttpTransport.h"

int UploadFileContentTask::ExecuteWorkTask() {
  Net::HttpRequest http;
  FillUploadFileContentRequest(m_request, &http);
  Net::HttpResponse response;
  HttpTransportHolder holder(false);
  UploadFileContentReply reply;
  if (RunTaskExchange(holder, http, response, TransferFlag::On) && response.GetStatusCode() == 200)
    ParseUploadFileContentResponse(&response, reply);
  const bool success = reply.code == ReplyEnvelope::kSuccess;
  if (success) {
    m_reply = reply;
  } else {
    m_reply = UploadFileContentReply();
    m_reply.code = reply.code;
  }
  SetSuccess(success);
  return success ? 0 : 2;
}

int DownloadFileContentTask::ExecuteWorkTask() {
  Net::HttpRequest http;
  FillDownloadFileRequest(m_request, &http);
  HttpTransportHolder holder(false);
  {
    std::lock_guard<std::mutex> hold(m_stopLock);
    m_pRunning = holder.GetTransport();
    if (m_bStopped) m_pRunning->Stop();
  }
  m_bAnswered = RunTaskExchange(holder, http, m_response, TransferFlag::On);
  {
    std::lock_guard<std::mutex> hold(m_stopLock);
    m_pRunning = nullptr;
  }
  const int status = m_response.GetStatusCode();
  const bool success = m_bAnswered && (status == 200 || status == 206);
  SetSuccess(success);
  return success ? 0 : 2;
}

void DownloadFileContentTask::Stop() {
  std::lock_guard<std::mutex> hold(m_stopLock);
  m_bStopped = true;
  if (m_pRunning) m_pRunning->Stop();
}

int DeleteIncompleteFileTask::ExecuteWorkTask() {
  Net::HttpRequest http;
  DelFileIncompleteRequest::FillHttpRequest(m_request, &http);
  Net::HttpResponse response;
  HttpTransportHolder holder(false);
  const bool success = RunTaskExchange(holder, http, response) && response.GetStatusCode() == 200;
  SetSuccess(success);
  return success ? 0 : 2;
}
