#pragma once
// Shared pieces of the controller's tests: the names of the engine's threads
// as the system lists them, waiting on a condition, and the up queues' paths.
#include <chrono>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "client/sync/SyncLogic.h"

namespace controllertest {

// The ids of this process's threads.
std::set<int> ThreadIds();

// How many of the given threads still run.
int RunningOf(const std::set<int>& threads);

// Checks cond until it holds or limit passes; a short pause between looks.
bool WaitUntil(const std::function<bool()>& cond, std::chrono::milliseconds limit = std::chrono::seconds(60));

// "op path" of every task in the three up queues, queue by queue.
std::vector<std::string> UpQueue(SyncLogic& logic);

}  // namespace controllertest
