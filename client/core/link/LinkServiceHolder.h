#pragma once
// What the owner of the link poll (the sync engine's server-update filter)
// keeps: the task once it exists, and the user data and callback that every
// task it starts reports to.
#include <string>

#include "client/core/link/LinkServiceTask.h"

struct LinkServiceHolder {
  LinkServiceTask* m_pTask = nullptr;  // owned; deleting it stops and joins the poll
  void* m_pUserData = nullptr;
  LinkServiceCallBack m_pCallBack = nullptr;
};

// After each sign-in: the first call creates the task with the holder's user
// data and callback and starts its thread; later calls hand the new account
// and client id to the running task.
void StartLinkService(LinkServiceHolder& holder, const std::string& account, const std::string& clientID);
// Stops and deletes the holder's task, if any.
void StopLinkService(LinkServiceHolder& holder);
