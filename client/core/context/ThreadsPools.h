#pragma once
// The three named pools on which every request task runs: Up (sign-in,
// renewals, the proxy test, the engine's up requests), Down (user-data
// queries, pulls, downloads) and Stat (usage statistics). Each is created by
// its getter's first call.
namespace juce {
class MyThreadsPool;
}

juce::MyThreadsPool* GetUpThreadsPool();
juce::MyThreadsPool* GetDownThreadsPool();
juce::MyThreadsPool* GetStatThreadsPool();

// Ends the pools at exit, the last created first. The sync engine's threads
// post to the pools and wait for their tasks, so the engine held by the global
// context is stopped before any pool goes; each pool then waits for the tasks
// it is running (queued ones never run). A getter called afterwards builds a
// new pool.
void FreeThreadsPools();
