#pragma once
// The out-of-process dump server: listens on the IPC name's socket, takes the
// registrations of crash handlers and writes a dump when one of them reports a
// crash. It ends when its last registered client has gone, or when nobody
// registered within a minute of its start.
#include "CourierOptions.h"

// Runs the server; the process's exit code.
int RunDumpServer(const CourierOptions& options);
