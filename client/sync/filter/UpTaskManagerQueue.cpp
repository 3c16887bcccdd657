#include "client/sync/filter/UpTaskManagerQueue.h"

#include "client/sync/tasks/SyncUpTaskManager.h"

bool UpTaskManagerQueue::HoldForTranslation() {
  return !m_pManager || m_pManager->TryHold();
}

void UpTaskManagerQueue::EndTranslation() {
  if (m_pManager) m_pManager->EndHold();
}

void UpTaskManagerQueue::ClassifyTask(UpSyncTask* task) {
  if (m_pManager) m_pManager->ClassifyTask(task);
}

void UpTaskManagerQueue::AddTask(UpSyncTask* task) {
  if (m_pManager)
    m_pManager->AddTask(task);
  else
    delete task;
}

bool UpTaskManagerQueue::FindTaskByPath(const juce::String& path, int& isFile) {
  return m_pManager && m_pManager->FindTaskByPath(path, isFile);
}

bool UpTaskManagerQueue::IsFileLeaving(const juce::String& path) {
  return m_pManager && m_pManager->IsFileLeaving(path);
}

void UpTaskManagerQueue::AddWaiter(HANDLE event) {
  if (m_pManager) m_pManager->GetWakeList().Add(event);
}

void UpTaskManagerQueue::RemoveWaiter(HANDLE event) {
  if (m_pManager) m_pManager->GetWakeList().Remove(event);
}
