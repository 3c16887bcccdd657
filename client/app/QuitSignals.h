#pragma once
#include <functional>

// Turns SIGTERM, SIGINT and SIGHUP into calls of `onQuit` on a thread of its
// own (the signal handler itself only wakes that thread). Call once, early.
// The signal mask is left alone, so programs the process starts see the
// signals as usual.
void WatchQuitSignals(std::function<void()> onQuit);
