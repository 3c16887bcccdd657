#pragma once
// The three up pumps, one per queue of the up task manager. While the engine
// is offline the no-depend pump probes the service once a turn and the other
// two idle until the engine is online again (the online state wakes them); once every up queue has
// drained, the no-depend pump asks for one more pull so that the engine sees
// what its own uploads changed.
#include "client/sync/pumps/SyncTaskPump.h"

class SyncUpTaskManager;

class UpNoDepandTaskPump : public SyncTaskPump {
 public:
  UpNoDepandTaskPump(const juce::String& name, SyncUpTaskManager* manager);
  ~UpNoDepandTaskPump() override;
  void step() override;

 private:
  SyncUpTaskManager* m_pManager;
};

class UpFileAndDepandTaskPump : public SyncTaskPump {
 public:
  UpFileAndDepandTaskPump(const juce::String& name, SyncUpTaskManager* manager);
  ~UpFileAndDepandTaskPump() override;
  void step() override;

 private:
  SyncUpTaskManager* m_pManager;
};

class UpWaitAndDepandTaskPump : public SyncTaskPump {
 public:
  UpWaitAndDepandTaskPump(const juce::String& name, SyncUpTaskManager* manager);
  ~UpWaitAndDepandTaskPump() override;
  void step() override;

 private:
  SyncUpTaskManager* m_pManager;
};
