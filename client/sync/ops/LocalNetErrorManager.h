#pragma once
// The engine's online state and the throttled report of a lost connection.
// Process-wide (GetInstance makes it on first use). The online flag is read
// by the pumps, the start-up workflow and the windows, and written by the
// error mapping (-1), the link callback and the UpNoDepand pump's probe.
// Reports are serialised under the manager's lock.
#include <atomic>
#include <functional>
#include <mutex>

#include <juce_core/juce_core.h>

#include "client/sync/pumps/SyncWakeList.h"

class LocalNetErrorManager {
 public:
  // A report closer than this to the previous one probes but says nothing.
  static constexpr juce::int64 kReportIntervalMs = 240001;

  // probe: whether the service can be reached (CheckNetReachable by default).
  explicit LocalNetErrorManager(std::function<bool()> probe = {});

  static LocalNetErrorManager* GetInstance();
  static void DeleteInstance();

  // Probes the service, sets the tracker's net state and pushes the tray;
  // then, at most once per report interval, logs and tells the user: a
  // reachable service that keeps failing is reported after more than the
  // threshold's count of failures (the threshold then rises by 3), an
  // unreachable one at once.
  void ProcessLocalNetError();

  bool IsOnline() const { return m_bOnline.load(); }
  // A change of the state sets the wake list.
  void SetOnline(bool online);
  // The link answered or the probe succeeded: online again, and the next
  // failure is reported without waiting for the interval.
  void SetBackOnline();
  // The up pumps' events: an idle pump learns at once that the engine went
  // offline (the no-depend pump then probes) or came back (the others run).
  // Made before the pumps and freed after them.
  SyncWakeList& GetWakeList() { return m_wakeList; }
  void ResetLastReportTime() { m_nLastReportMs.store(0); }

  // Replaces the probe (the service's address is the caller's setting).
  void SetProbe(std::function<bool()> probe);
  bool Probe();

  int GetFailureCount();
  int GetThreshold();

 private:
  std::atomic<bool> m_bOnline{true};
  std::atomic<juce::int64> m_nLastReportMs{0};
  std::mutex m_lock;
  int m_nFailureCount = 0;
  int m_nThreshold = 3;
  std::mutex m_probeLock;
  std::function<bool()> m_probe;
  SyncWakeList m_wakeList;
};
