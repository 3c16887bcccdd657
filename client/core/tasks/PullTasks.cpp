#include "client/core/tasks/PullTasks.h"

#include "client/core/protocol/HttpTransportHolder.h"
#include "client/core/protocol/ReplyEnvelope.h"
#include "client/core/tasks/TaskExchange.h"
#include "net/HttpRequest.h"
#include "net/HttpResponse.h"

int SyncFolderFromServerTask::ExecuteWorkTask() {
  Net::HttpRequest http;
  SyncDirRequest::FillHttpRequest(m_request, &http);
  Net::HttpResponse response;
  HttpTransportHolder holder(false);
  holder.GetTransport()->SetLimits(Net::LimitsFor(Net::RequestKind::Listing));  // every change below the folder
  if (RunTaskExchange(holder, http, response) && response.GetStatusCode() == 200) {
    if (!m_pReply) m_pReply = std::make_unique<SyncDirReply>();
    if (!SyncDirReply::ParseBody(response.GetBody(), *m_pReply)) m_pReply->code = ReplyEnvelope::kUnreadable;
  }
  const bool success = m_pReply && m_pReply->code == ReplyEnvelope::kSuccess;
  SetSuccess(success);
  return success ? 0 : 2;
}

int ImmediateSyncFromServerTask::ExecuteWorkTask() {
  Net::HttpRequest http;
  GetDirFilesRequest::FillHttpRequest(m_request, &http);
  Net::HttpResponse response;
  HttpTransportHolder holder(false);
  holder.GetTransport()->SetLimits(Net::LimitsFor(Net::RequestKind::Listing));  // the whole tree
  m_pReply = std::make_unique<DirFilesReply>();
  if (RunTaskExchange(holder, http, response) && response.GetStatusCode() == 200) {
    if (!DirFilesReply::ParseBody(response.GetBody(), *m_pReply)) m_pReply->code = ReplyEnvelope::kUnreadable;
  } else {
    m_pReply->code = response.GetStatusCode();
  }
  const bool success = m_pReply->code == ReplyEnvelope::kSuccess;
  SetSuccess(success);
  return success ? 0 : 2;
}
