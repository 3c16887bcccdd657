#pragma once
// The sign-in exchange (APP_AUTHEN), posted to the Up pool by LoginManager.
// It reports through its result callback with the HTTP status (0 without an
// answer) and the reply (code -1 when nothing was read).
#include <memory>

#include "base/WorkTask.h"
#include "client/core/protocol/AppRequests.h"

typedef void (*LoginResultCallBackFunc)(void* context, int httpStatus, AuthenReply reply);

class LoginTask final : public juce::_WORK_TASK {
 public:
  // hashed: the request's password is the MD5 text already.
  LoginTask(const AuthenRequest& request, bool hashed);

  // keepAlive: what context points into, held by the task until it ends.
  void SetResultCallBack(void* context, LoginResultCallBackFunc callback, std::shared_ptr<void> keepAlive = {});
  // 0 when the answer came with HTTP status 200, else 2. Without a callback
  // nothing is sent (2).
  int ExecuteWorkTask() override;

 private:
  void CallResultCallBack(int httpStatus);

  AuthenRequest m_request;
  bool m_bHashed;
  AuthenReply m_reply;
  LoginResultCallBackFunc m_pResultCallBack = nullptr;
  void* m_pContext = nullptr;
  std::shared_ptr<void> m_keepAlive;
};
