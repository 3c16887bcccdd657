#include "base/WorkTask.h"

namespace juce {

_WORK_TASK::_WORK_TASK(const String& name) : m_name(name) {}

_WORK_TASK::~_WORK_TASK() = default;

int _WORK_TASK::ExecuteWork() {
  try {
    return ExecuteWorkTask();
  } catch (...) {
    return 2;
  }
}

void _WORK_TASK::AfterExecute() { delete this; }

void _WORK_TASK::Abandon() { delete this; }

}  // namespace juce
