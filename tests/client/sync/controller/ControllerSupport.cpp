#include "ControllerSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "client/sync/tasks/SyncUpTaskManager.h"

namespace controllertest {

std::set<int> ThreadIds() {
  std::set<int> ids;
  std::error_code error;
  for (auto it = std::filesystem::directory_iterator("/proc/self/task", error);
       it != std::filesystem::directory_iterator(); ++it)
    ids.insert(std::atoi(it->path().filename().c_str()));
  return ids;
}

int RunningOf(const std::set<int>& threads) {
  std::set<int> now = ThreadIds();
  int running = 0;
  for (int id : threads) running += now.count(id) ? 1 : 0;
  return running;
}

bool WaitUntil(const std::function<bool()>& cond, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!cond()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

std::vector<std::string> UpQueue(SyncLogic& logic) {
  std::vector<std::string> out;
  for (int queue : {UP_QUEUE_NO_DEPEND, UP_QUEUE_FILE_AND_DEPEND, UP_QUEUE_WAIT_AND_DEPEND})
    for (const auto& [op, path] : logic.GetUpTaskManager()->DescribeQueue(queue))
      out.push_back(std::to_string(op) + " " + path.toStdString());
  return out;
}

}  // namespace controllertest
