#include "client/sync/tasks/UpSyncTask.h"

namespace {
std::atomic<juce::int64> g_upSequence{0};
}

UpSyncTask::UpSyncTask() : m_nSequence(++g_upSequence) {}
