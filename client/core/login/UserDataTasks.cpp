#include "client/core/login/UserDataTasks.h"

#include "client/core/protocol/FileRequests.h"
#include "client/core/protocol/HttpTransportHolder.h"
#include "client/core/protocol/ReplyEnvelope.h"
#include "client/core/tasks/TaskExchange.h"
#include "net/HttpRequest.h"
#include "net/HttpResponse.h"

namespace {

// One exchange of the request into the reply; true when the service answered
// with code 200.
template <class Request, class Reply>
bool Query(const RequestHeader& header, Reply& reply) {
  Request request;
  request.header = header;
  Net::HttpRequest http;
  Request::FillHttpRequest(request, &http);
  Net::HttpResponse response;
  HttpTransportHolder holder(false);
  if (RunTaskExchange(holder, http, response)) Reply::ParseResponse(&response, reply);
  return reply.code == ReplyEnvelope::kSuccess;
}

}  // namespace

int QueryUserDataTask::ExecuteWorkTask() {
  UserReply reply;
  const bool read = Query<GetUserRequest>(m_header, reply);
  if (m_pCallBack) m_pCallBack(m_pContext, read ? &reply.user : nullptr);
  return 0;
}

int QueryUserFileDataTask::ExecuteWorkTask() {
  UserFilesCountReply reply;
  const bool read = Query<GetUserFilesCountRequest>(m_header, reply);
  if (m_pCallBack) m_pCallBack(m_pContext, read ? &reply : nullptr);
  return 0;
}
