#pragma once
// The base library: thread pools, work tasks and string helpers.
#include "base/MyThreadsPool.h"
#include "base/StringUtil.h"
#include "base/WaitReleaseWorkTask.h"
#include "base/WorkTask.h"
