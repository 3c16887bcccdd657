#pragma once
// Tests against the local cloud service: one service for the test suite,
// emptied before every test (accounts stay), the process's server list
// pointing at it, a fresh main database with its user tables and product
// row, and fresh account data.
#include <gtest/gtest.h>

#include <json/value.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

#include "../db/DBTestFolder.h"
#include "DevServer.h"
#include "base/MyThreadsPool.h"
#include "client/core/login/LoginManager.h"

namespace signintest {

extern const char* const kAccount;   // "alice@example.com"
extern const char* const kPassword;  // "secret"

class ServiceTest : public dorvtest::DBTest {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  static dorvtest::DevServer& Server() { return *s_server; }

  // An admin request (POST, values in the query); the reply's "result".
  static Json::Value Admin(const std::string& request, const std::string& body = std::string());
  // The raw body of an admin request (GET).
  static std::string AdminRaw(const std::string& request);
  // A fault rule: "op=uploadFile&code=1005" and the like.
  static void Fault(const std::string& rule) { Admin("fault?" + rule); }

  // How many requests of the operation the service has seen since its log was
  // last emptied.
  static int Requests(const std::string& op);

  // Signs in with the manager and waits for its after-login callback;
  // returns the result code.
  int SignIn(LoginManager& manager, const std::string& account = kAccount,
             const std::string& password = kPassword);
  // Signs in with the test account, opens its database and makes the engine's
  // tables: where every engine test against the service starts.
  void SignInWithEngineTables(LoginManager& manager);

 private:
  static std::unique_ptr<dorvtest::DevServer> s_server;
};

// Posts a wait-and-release task to the pool, waits, hands it to read, lets it
// go; the task's success.
template <class Task, class Read>
bool PostAndWait(juce::MyThreadsPool* pool, Task* task, Read read) {
  pool->PostWorkTask(task, true);
  task->WaitExecuteFinishEvent();
  const bool success = task->IsSuccess();
  read(*task);
  task->SignReleaseEvent();
  return success;
}

// Counts the after-login callbacks of a manager and lets a test wait for one.
class AfterLoginWaiter {
 public:
  explicit AfterLoginWaiter(LoginManager& manager);
  static void CallBack(void* context);
  // True when a callback came (within a generous bound).
  bool Wait();
  int Count();

 private:
  std::mutex m_lock;
  std::condition_variable m_called;
  int m_count = 0;
  int m_seen = 0;
};

}  // namespace signintest
