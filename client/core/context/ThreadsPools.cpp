#include "client/core/context/ThreadsPools.h"

#include <memory>
#include <mutex>
#include <vector>

#include "base/MyThreadsPool.h"
#include "client/core/context/GlobalContext.h"
#include "client/core/LogWriter.h"
#include "net/NetInit.h"

namespace {

struct Pools {
  std::mutex lock;
  juce::MyThreadsPool* up = nullptr;
  juce::MyThreadsPool* down = nullptr;
  juce::MyThreadsPool* stat = nullptr;
  // Creation order: the pools are ended in reverse.
  std::vector<std::unique_ptr<juce::MyThreadsPool>> all;
};

Pools& ThePools() {
  // The pools run network exchanges. Setting the network library up before the
  // pools exist makes the process end them (joining their threads) before it
  // tears the network library and its TLS library down under a running task.
  static const bool networkReady = (Net::Initialize(), true);
  static Pools pools;
  (void)networkReady;
  return pools;
}

// The Up and Down pools: a pool whose first start fails is logged and rebuilt
// with the smaller size.
juce::MyThreadsPool* CreateRequestPool(Pools& pools, const char* name, const char* function) {
  auto pool = std::make_unique<juce::MyThreadsPool>(juce::String(name));
  if (!pool->Init(2, 5)) {
    WriteLog(ErrorLog, function, juce::String("First Init ") + name + " Error");
    pool = std::make_unique<juce::MyThreadsPool>(juce::String(name), 2, 3);
  }
  pools.all.push_back(std::move(pool));
  return pools.all.back().get();
}

}  // namespace

juce::MyThreadsPool* GetUpThreadsPool() {
  Pools& pools = ThePools();
  std::lock_guard<std::mutex> hold(pools.lock);
  if (pools.up == nullptr) pools.up = CreateRequestPool(pools, "UpThreadsPool", "GetUpThreadsPool");
  return pools.up;
}

juce::MyThreadsPool* GetDownThreadsPool() {
  Pools& pools = ThePools();
  std::lock_guard<std::mutex> hold(pools.lock);
  if (pools.down == nullptr)
    pools.down = CreateRequestPool(pools, "DownThreadsPool", "GetDownThreadsPool");
  return pools.down;
}

juce::MyThreadsPool* GetStatThreadsPool() {
  Pools& pools = ThePools();
  std::lock_guard<std::mutex> hold(pools.lock);
  if (pools.stat == nullptr) {
    auto pool = std::make_unique<juce::MyThreadsPool>(juce::String("StatThreadsPool"));
    pool->Init(2, 3);  // a failed start leaves a pool that refuses tasks
    pools.all.push_back(std::move(pool));
    pools.stat = pools.all.back().get();
  }
  return pools.stat;
}

void FreeThreadsPools() {
  StopGlobalSyncLogic();
  std::vector<std::unique_ptr<juce::MyThreadsPool>> ending;
  {
    Pools& pools = ThePools();
    std::lock_guard<std::mutex> hold(pools.lock);
    ending.swap(pools.all);
    pools.up = pools.down = pools.stat = nullptr;
  }
  // Outside the lock: a task still running may ask for a pool to post to.
  while (!ending.empty()) ending.pop_back();
}
