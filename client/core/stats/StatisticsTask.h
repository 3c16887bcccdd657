#pragma once
// Usage statistics: one fire-and-forget GET per event to the statistics
// address, statistics base + "/" + adapter address + "/" + category + "/" +
// event. The three path segments are percent-encoded, so an event with a tab,
// a blank or an at-sign arrives as it was reported. Nothing waits for the
// answer and nothing reports a failure.
#include <string>

#include "base/WorkTask.h"

class StatisticsTask final : public juce::_WORK_TASK {
 public:
  StatisticsTask(const std::string& category, const std::string& event);

  int ExecuteWorkTask() override;

  // The address the event goes to.
  std::string BuildUrl() const;

 private:
  std::string m_sCategory;
  std::string m_sEvent;
};

// Posts one StatisticsTask to the Stat pool and returns at once; any thread.
void ReportUsageEvent(const std::string& category, const std::string& event);
