#include "client/core/link/LinkServiceHolder.h"

void StartLinkService(LinkServiceHolder& holder, const std::string& account, const std::string& clientID) {
  if (!holder.m_pTask) {
    holder.m_pTask = new LinkServiceTask(account, clientID, holder.m_pUserData, holder.m_pCallBack);
    holder.m_pTask->startThread();
    return;
  }
  holder.m_pTask->ResetAccount(account, clientID);
}

void StopLinkService(LinkServiceHolder& holder) {
  delete holder.m_pTask;
  holder.m_pTask = nullptr;
}
