#pragma once
// The common body of the wait-and-release request tasks: the task keeps a copy
// of its request record, builds the HTTP request from it, runs one exchange on
// a transport of its own and, for an answer with HTTP status 200, reads the
// reply into its reply record. It succeeds when the reply's code is 200.
//
// The poster's protocol: new, PostWorkTask on the task's pool, then
// WaitExecuteFinishEvent, IsSuccess and GetResult (or the members), then
// SignReleaseEvent; the task is not touched afterwards.
#include <type_traits>

#include "base/WaitReleaseWorkTask.h"
#include "client/core/protocol/HttpTransportHolder.h"
#include "client/core/protocol/ReplyEnvelope.h"
#include "client/core/tasks/TaskExchange.h"
#include "net/HttpRequest.h"
#include "net/HttpResponse.h"

namespace RequestTaskDetail {

// Runs the record's builder; false when the builder refused the record (a
// content size that does not fit the wire).
template <class Request>
bool Fill(const Request& record, Net::HttpRequest* request) {
  if constexpr (std::is_same_v<decltype(Request::FillHttpRequest(record, request)), bool>) {
    return Request::FillHttpRequest(record, request);
  } else {
    Request::FillHttpRequest(record, request);
    return true;
  }
}

// Reads a 200 answer into the reply: through the reply's response parser, or
// through its body parser, whose failure leaves code 1000.
template <class Reply>
void Parse(const Net::HttpResponse& response, Reply& reply) {
  if constexpr (requires { Reply::ParseResponse(&response, reply); }) {
    Reply::ParseResponse(&response, reply);
  } else {
    if (!Reply::ParseBody(response.GetBody(), reply)) reply.code = ReplyEnvelope::kUnreadable;
  }
}

}  // namespace RequestTaskDetail

template <class Request, class Reply>
class RequestTask : public juce::_WaitRelease_Work_Task {
 public:
  RequestTask(const juce::String& name, const Request& request) : _WaitRelease_Work_Task(name), m_request(request) {}

  int ExecuteWorkTask() override {
    Net::HttpRequest http;
    Net::HttpResponse response;
    if (RequestTaskDetail::Fill(m_request, &http)) {
      HttpTransportHolder holder(false);
      if (RunTaskExchange(holder, http, response) && response.GetStatusCode() == 200)
        RequestTaskDetail::Parse(response, m_reply);
    }
    const bool success = m_reply.code == ReplyEnvelope::kSuccess;
    SetSuccess(success);
    return success ? 0 : 2;
  }

  void GetResult(Reply& out) const { out = m_reply; }

  Request m_request;
  Reply m_reply;
};
