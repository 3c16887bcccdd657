#pragma once
// The queries of the signed-in user's record (getUser, after every sign-in)
// and of its storage counters (getUserFilesCount, for the windows), on the
// Down pool. Each reports to its callback, when one is set, with the values
// read, or null when the exchange failed or the service's code was not 200.
#include <memory>

#include "base/WorkTask.h"
#include "client/core/protocol/FileReplies.h"
#include "client/core/protocol/RequestHeader.h"

typedef void (*QueryUserDataCallBackFunc)(void* context, const ServerUserInfo* user);
typedef void (*QueryUserFileDataCallBackFunc)(void* context, const UserFilesCountReply* counts);

class QueryUserDataTask final : public juce::_WORK_TASK {
 public:
  // keepAlive: what context points into, held by the task until it ends.
  QueryUserDataTask(const RequestHeader& header, void* context, QueryUserDataCallBackFunc callback,
                    std::shared_ptr<void> keepAlive = {})
      : _WORK_TASK("QueryUserFileDataTask"),
        m_header(header),
        m_pContext(context),
        m_pCallBack(callback),
        m_keepAlive(std::move(keepAlive)) {}

  int ExecuteWorkTask() override;

 private:
  RequestHeader m_header;
  void* m_pContext;
  QueryUserDataCallBackFunc m_pCallBack;
  std::shared_ptr<void> m_keepAlive;
};

class QueryUserFileDataTask final : public juce::_WORK_TASK {
 public:
  QueryUserFileDataTask(const RequestHeader& header, void* context, QueryUserFileDataCallBackFunc callback)
      : _WORK_TASK("QueryUserFileDataTask"), m_header(header), m_pContext(context), m_pCallBack(callback) {}

  int ExecuteWorkTask() override;

 private:
  RequestHeader m_header;
  void* m_pContext;
  QueryUserFileDataCallBackFunc m_pCallBack;
};
