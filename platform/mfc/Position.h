#pragma once
// POSITION: an opaque place in an MFC list or map; null ends an iteration.
struct DorvPositionTag__;
using POSITION = DorvPositionTag__*;

#ifndef BEFORE_START_POSITION
#define BEFORE_START_POSITION (reinterpret_cast<POSITION>(-1))
#endif
