#pragma once
// The two down pumps: one for the normal queue, one for the wait-and-retry
// queue of the down task manager. They run whether or not the engine is
// online. When everything has been applied, the normal pump lets the status
// tracker announce the changes in one balloon and refreshes the tray.
#include "client/sync/pumps/SyncTaskPump.h"

class SyncDownTaskManager;

class DownNormalTaskPump : public SyncTaskPump {
 public:
  DownNormalTaskPump(const juce::String& name, SyncDownTaskManager* manager);
  ~DownNormalTaskPump() override;
  void step() override;

 private:
  SyncDownTaskManager* m_pManager;
};

class DownWaitAndRetryTaskPump : public SyncTaskPump {
 public:
  DownWaitAndRetryTaskPump(const juce::String& name, SyncDownTaskManager* manager);
  ~DownWaitAndRetryTaskPump() override;
  void step() override;

 private:
  SyncDownTaskManager* m_pManager;
};
